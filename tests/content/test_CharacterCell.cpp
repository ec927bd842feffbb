// Tests of CharacterCell and AnimationPackage: cell packages on disk, their result codes, the
// message boxes of the animation packages, the still picture and what a cell gives back.
#include <string>
#include <vector>

#include "content/AnimationPackage.h"
#include "content/CharacterCell.h"
#include "content/ContentFixture.h"
#include "display/Surface.h"

namespace {

class CharacterCellTest : public ContentFixture {};

struct CellCase {
  const char* name;
  const char* file;
  int32_t result;
  int32_t idleCount;
  int32_t dieCount;
  int32_t attackCount;
  std::vector<std::string> boxes;
  int32_t width;  // 0 when the cell is to hold no still picture
};
void PrintTo(const CellCase& c, std::ostream* out) { *out << c.name; }

const CellCase kCellCases[] = {
    {"TwoIdlePackagesShowTheirPathsInFileOrder",
     "[HEADER]\nIDLE PACKAGES=2\nSTILL=$D/still.bmp\n"
     "[IDLE 0]\nPACKAGE=anims/first.ani\n[IDLE 1]\nPACKAGE=anims/second.ani\n",
     0,
     2,
     0,
     0,
     {"anims/first.ani", "anims/second.ani"},
     41},
    {"EveryKindTogether",
     "[HEADER]\nATTACK PACKAGES=1\nDIE PACKAGES=1\nIDLE PACKAGES=1\nSTILL=$D/still.bmp\n"
     "[DIE 0]\nPACKAGE=d\n[ATTACK 0]\nPACKAGE=a\n[IDLE 0]\nPACKAGE=i\n",
     0,
     1,
     1,
     1,
     {"d", "a", "i"},
     41},
    {"SectionNumberAtTheCount",
     "[HEADER]\nIDLE PACKAGES=2\n[IDLE 0]\n[IDLE 1]\n[IDLE 2]\n",
     -23,
     2,
     0,
     0,
     {},
     0},
    {"NegativeSectionNumber",
     "[HEADER]\nDIE PACKAGES=1\n[DIE -1]\nPACKAGE=x\n",
     -23,
     0,
     1,
     0,
     {},
     0},
    {"NumberedSectionBeforeTheHeader",
     "[IDLE 0]\nPACKAGE=x\n[HEADER]\nIDLE PACKAGES=1\n",
     -23,
     0,
     0,
     0,
     {},
     0},
    {"SectionsAreCountedNotPackageLines",
     "[HEADER]\nIDLE PACKAGES=2\n[IDLE 0]\n[IDLE 1]\nPACKAGE=one\nPACKAGE=two\n",
     0,
     2,
     0,
     0,
     {"one", "two"},
     0},
    {"DeclaredSectionMissing", "[HEADER]\nDIE PACKAGES=1\n", -24, 0, 1, 0, {}, 0},
    {"SameSectionTwice", "[HEADER]\nDIE PACKAGES=1\n[DIE 0]\n[DIE 0]\n", -24, 0, 1, 0, {}, 0},
    {"ZeroPackagesNeedNoSection", "[HEADER]\nATTACK PACKAGES=0\n", 0, 0, 0, 0, {}, 0},
    {"SectionNamesArePrefixes",
     "[HEADER]\nDIE PACKAGES=1\nATTACK PACKAGES=2\n"
     "[DIEHARD]\nPACKAGE=die\n[ATTACK 1]\nPACKAGE=a1\n[ATTACK0]\nPACKAGE=a0\n",
     0,
     0,
     1,
     2,
     {"die", "a1", "a0"},
     0},
    {"LetterCaseIgnored",
     "[header]\nidle packages=1\nstill=$D/still.bmp\n[idle 0]\npackage=p\n",
     0,
     1,
     0,
     0,
     {"p"},
     41},
    {"KeysOnlyInTheFirstColumn",
     "[HEADER]\n STILL=$D/still.bmp\nIDLE PACKAGES =1\n",
     0,
     0,
     0,
     0,
     {},
     0},
    {"FirstStillStays", "[HEADER]\nSTILL=$D/still.bmp\nSTILL=$D/missing.bmp\n", 0, 0, 0, 0, {}, 41},
    {"MissingStill",
     "[HEADER]\nIDLE PACKAGES=1\nSTILL=$D/missing.bmp\n[IDLE 0]\n",
     -22,
     1,
     0,
     0,
     {},
     0},
    {"NoStillIsNoError", "[HEADER]\n", 0, 0, 0, 0, {}, 0},
    // Counts read from the file that no array may follow.
    {"NegativeCountMakesNoArray", "[HEADER]\nIDLE PACKAGES=-3\n", -24, -3, 0, 0, {}, 0},
    {"NegativeCountHasNoSections", "[HEADER]\nIDLE PACKAGES=-3\n[IDLE 0]\n", -23, -3, 0, 0, {}, 0},
    {"GiantCountRefused", "[HEADER]\nIDLE PACKAGES=2000000000\n", -24, 0, 0, 0, {}, 0},
    {"CountAboveTheCeilingRefused", "[HEADER]\nATTACK PACKAGES=101\n", -24, 0, 0, 0, {}, 0},
    {"CountAtTheCeilingAccepted", "[HEADER]\nATTACK PACKAGES=100\n", -24, 0, 0, 100, {}, 0},
    // A repeated count replaces the kind's packages.
    {"RepeatedCountReplaces",
     "[HEADER]\nIDLE PACKAGES=3\nIDLE PACKAGES=1\n[IDLE 0]\nPACKAGE=p\n",
     0,
     1,
     0,
     0,
     {"p"},
     0},
    {"RepeatedCountOfZeroLeavesNone",
     "[HEADER]\nDIE PACKAGES=2\nDIE PACKAGES=0\n",
     0,
     0,
     0,
     0,
     {},
     0},
    {"PackagesOfTheReplacedArrayAreGone",
     "[HEADER]\nIDLE PACKAGES=2\n[IDLE 1]\n[HEADER]\nIDLE PACKAGES=1\n[IDLE 1]\n",
     -23,
     1,
     0,
     0,
     {},
     0},
};

class CellFileTest : public CharacterCellTest, public ::testing::WithParamInterface<CellCase> {};

TEST_P(CellFileTest, LoadsAsTheFileSays) {
  const CellCase& c = GetParam();
  const std::string path = Write("cell.cpk", c.file);
  CharacterCell cell;
  EXPECT_EQ(cell.Load(path.c_str()), c.result);
  EXPECT_EQ(cell.idleCount, c.idleCount);
  EXPECT_EQ(cell.dieCount, c.dieCount);
  EXPECT_EQ(cell.attackCount, c.attackCount);
  EXPECT_EQ(boxes, c.boxes);
  EXPECT_EQ(cell.stillSurface != nullptr, c.width != 0);
  EXPECT_EQ(cell.width, c.width);
  EXPECT_EQ(cell.height, c.width != 0 ? 60 : 0);
  // Every array holds exactly its count of packages, or there is none.
  EXPECT_EQ(cell.idlePackages != nullptr, cell.idleCount > 0);
  EXPECT_EQ(cell.diePackages != nullptr, cell.dieCount > 0);
  EXPECT_EQ(cell.attackPackages != nullptr, cell.attackCount > 0);
  for (int32_t i = 0; i < cell.attackCount; ++i) EXPECT_NE(cell.attackPackages[i], nullptr);
  // The cell keeps its offsets from its square whatever its package says.
  EXPECT_EQ(cell.xOffset, 0);
  EXPECT_EQ(cell.yOffset, -19);
}

INSTANTIATE_TEST_SUITE_P(Files, CellFileTest, ::testing::ValuesIn(kCellCases),
                         [](const auto& test) { return std::string(test.param.name); });

TEST_F(CharacterCellTest, MissingFileCreatesNothing) {
  CharacterCell cell;
  EXPECT_EQ(cell.Load(PathOf("absent.cpk").c_str()), -21);
  EXPECT_EQ(cell.stillSurface, nullptr);
  EXPECT_EQ(cell.idlePackages, nullptr);
}

TEST_F(CharacterCellTest, StillIsKeyedAndGivenBackOnce) {
  const int32_t before = Display->surfaceCount;
  const std::string path =
      Write("cell.cpk", "[HEADER]\nSTILL=$D/still.bmp\nIDLE PACKAGES=1\n[IDLE 0]\n");
  {
    CharacterCell cell;
    ASSERT_EQ(cell.Load(path.c_str()), 0);
    EXPECT_EQ(Display->surfaceCount, before + 1);
    cell.Free();
    EXPECT_EQ(cell.stillSurface, nullptr);
    EXPECT_EQ(cell.idlePackages, nullptr);
    EXPECT_EQ(cell.idleCount, 1) << "Free leaves the counts";
    EXPECT_EQ(Display->surfaceCount, before);
    cell.Free();
  }
  EXPECT_EQ(Display->surfaceCount, before);
}

TEST_F(CharacterCellTest, StillLeavesOutPureGreen) {
  WriteBitmap("green.bmp", 41, 60, "lime");
  const std::string path = Write("cell.cpk", "[HEADER]\nSTILL=$D/green.bmp\n");
  CharacterCell cell;
  ASSERT_EQ(cell.Load(path.c_str()), 0);
  EXPECT_TRUE(cell.stillSurface->HasColorKey());
  EXPECT_EQ(cell.stillSurface->ColorKey(), cell.stillSurface->Pixel(0, 0));
}

TEST_F(CharacterCellTest, FailedLoadKeepsWhatItMadeUntilDestroyed) {
  const std::string path =
      Write("cell.cpk", "[HEADER]\nSTILL=$D/still.bmp\nIDLE PACKAGES=1\n[IDLE 4]\n");
  const int32_t before = Display->surfaceCount;
  auto cell = std::make_unique<CharacterCell>();
  EXPECT_EQ(cell->Load(path.c_str()), -23);
  EXPECT_NE(cell->stillSurface, nullptr);
  EXPECT_NE(cell->idlePackages, nullptr);
  cell.reset();
  EXPECT_EQ(Display->surfaceCount, before);
}

TEST_F(CharacterCellTest, SecondLoadKeepsTheFirstStillAndReplacesThePackages) {
  const std::string first =
      Write("first.cpk", "[HEADER]\nSTILL=$D/still.bmp\nDIE PACKAGES=2\n[DIE 0]\n[DIE 1]\n");
  WriteBitmap("wide.bmp", 60, 41, "yellow");
  const std::string second =
      Write("second.cpk", "[HEADER]\nSTILL=$D/wide.bmp\nDIE PACKAGES=1\n[DIE 0]\nPACKAGE=q\n");
  const int32_t before = Display->surfaceCount;
  CharacterCell cell;
  ASSERT_EQ(cell.Load(first.c_str()), 0);
  EXPECT_EQ(cell.Load(second.c_str()), 0);
  EXPECT_EQ(cell.width, 41);
  EXPECT_EQ(cell.dieCount, 1);
  EXPECT_EQ(boxes, std::vector<std::string>{"q"});
  EXPECT_EQ(Display->surfaceCount, before + 1);
}

TEST_F(CharacterCellTest, AnimationPackageShowsItsPathAndSucceeds) {
  AnimationPackage package;
  EXPECT_EQ(package.Load("anims/walk.ani "), 0);
  EXPECT_EQ(boxes, std::vector<std::string>{"anims/walk.ani "});
}

}  // namespace
