// Tests of Character: character packages on disk and their result codes, the cells they make
// and give back, the button pictures, and laying the cells onto the board.
#include <string>
#include <vector>

#include "board/GridSquare.h"
#include "content/Character.h"
#include "content/CharacterCell.h"
#include "content/ContentFixture.h"

namespace {

// A package of `count` cells, each with one PACKAGE= line naming the good cell package.
std::string Cells(int count) {
  std::string text = "[HEADER]\nCELLS=" + std::to_string(count) + "\n";
  for (int i = 0; i < count; ++i) {
    text += "[CELL " + std::to_string(i) + "]\nPACKAGE=$D/good.cpk\n";
  }
  return text;
}

class CharacterTest : public ContentFixture {
 protected:
  void SetUp() override {
    ContentFixture::SetUp();
    Write("good.cpk", "[HEADER]\nSTILL=$D/still.bmp\n");
    Write("nostill.cpk", "[HEADER]\nSTILL=$D/missing.bmp\n");
    Write("badsection.cpk", "[HEADER]\nSTILL=$D/still.bmp\n[IDLE 0]\n");
    Write("miscount.cpk", "[HEADER]\nSTILL=$D/still.bmp\nDIE PACKAGES=1\n");
  }
};

struct PackageCase {
  const char* name;
  std::string file;
  int32_t result;
  int32_t cellCount;
  int32_t loadedCells;  // cells that hold a still picture; -1 when the array must be gone
};
void PrintTo(const PackageCase& c, std::ostream* out) { *out << c.name; }

const PackageCase kPackageCases[] = {
    {"ThreeCells",
     "[HEADER]\nCELLS=3\n[CELL 0]\nPACKAGE=$D/good.cpk\n[CELL 1]\nPACKAGE=$D/good.cpk\n"
     "[CELL 2]\nPACKAGE=$D/good.cpk\n",
     0, 3, 3},
    {"CellsInAnyOrder",
     "[HEADER]\nCELLS=2\n[CELL 1]\nPACKAGE=$D/good.cpk\n[CELL 0]\nPACKAGE=$D/good.cpk\n", 0, 2, 2},
    {"CellNumberAtTheCount", "[HEADER]\nCELLS=3\n[CELL 3]\nPACKAGE=$D/good.cpk\n", -1, 3, 0},
    {"CellBeforeTheHeader", "[CELL 0]\nPACKAGE=$D/good.cpk\n[HEADER]\nCELLS=1\n", -1, 0, -1},
    {"NegativeCellNumber", "[HEADER]\nCELLS=1\n[CELL -1]\n", -1, 1, 0},
    {"CellsKeptAfterABadNumber", "[HEADER]\nCELLS=2\n[CELL 0]\nPACKAGE=$D/good.cpk\n[CELL 9]\n", -1,
     2, 1},
    {"CellWithoutPackage", "[HEADER]\nCELLS=2\n[CELL 0]\nPACKAGE=$D/good.cpk\n[CELL 1]\n", -12, 2,
     1},
    {"PackageLinesAreCountedNotCells",
     "[HEADER]\nCELLS=2\n[CELL 0]\n[CELL 1]\nPACKAGE=$D/good.cpk\nPACKAGE=$D/good.cpk\n", 0, 2, 1},
    {"NoCells", "[HEADER]\nCELLS=0\n", 0, 0, -1},
    {"LetterCaseIgnored", "[header]\ncells=1\n[cell 0]\npackage=$D/good.cpk\n", 0, 1, 1},
    {"KeyNotInTheFirstColumn", "[HEADER]\n CELLS=1\n", 0, 0, -1},
    // A failing cell package takes every cell with it, and its code passes up unchanged.
    {"MissingCellPackage",
     "[HEADER]\nCELLS=2\n[CELL 0]\nPACKAGE=$D/good.cpk\n[CELL 1]\nPACKAGE=$D/absent.cpk\n", -21, 2,
     -1},
    {"CellStillMissing",
     "[HEADER]\nCELLS=2\n[CELL 0]\nPACKAGE=$D/good.cpk\n[CELL 1]\nPACKAGE=$D/nostill.cpk\n", -22, 2,
     -1},
    {"CellSectionBad", "[HEADER]\nCELLS=1\n[CELL 0]\nPACKAGE=$D/badsection.cpk\n", -23, 1, -1},
    {"CellCountMismatch", "[HEADER]\nCELLS=1\n[CELL 0]\nPACKAGE=$D/miscount.cpk\n", -24, 1, -1},
    // Counts read from the file that no array may follow.
    {"NegativeCount", "[HEADER]\nCELLS=-3\n", -12, -3, -1},
    {"NegativeCountHasNoCells", "[HEADER]\nCELLS=-3\n[CELL 0]\n", -1, -3, -1},
    {"GiantCountRefused", "[HEADER]\nCELLS=2000000000\n[CELL 0]\n", -12, 0, -1},
    {"CountAboveTheBoardRefused", "[HEADER]\nCELLS=11\n", -12, 0, -1},
    {"CountOfTheWholeBoard", Cells(10), 0, 10, 10},
    // Only the first count counts.
    {"SecondCountIgnored", "[HEADER]\nCELLS=1\nCELLS=5\n[CELL 0]\nPACKAGE=$D/good.cpk\n", 0, 1, 1},
    {"SecondHeaderCannotGrowTheCells",
     "[HEADER]\nCELLS=1\n[CELL 0]\nPACKAGE=$D/good.cpk\n[HEADER]\nCELLS=4\n[CELL 3]\n", -1, 1, 1},
};

class CharacterPackageTest : public CharacterTest,
                             public ::testing::WithParamInterface<PackageCase> {};

TEST_P(CharacterPackageTest, LoadsAsTheFileSays) {
  const PackageCase& c = GetParam();
  const std::string path = Write("character.pkg", c.file);
  Character character;
  EXPECT_EQ(character.LoadPackage(path.c_str()), c.result);
  EXPECT_EQ(character.cellCount, c.cellCount);
  if (c.loadedCells < 0) {
    EXPECT_EQ(character.cells, nullptr);
    return;
  }
  ASSERT_NE(character.cells, nullptr);
  int32_t loaded = 0;
  for (int32_t i = 0; i < character.cellCount; ++i) {
    ASSERT_NE(character.cells[i], nullptr);
    if (character.cells[i]->stillSurface) ++loaded;
  }
  EXPECT_EQ(loaded, c.loadedCells);
}

INSTANTIATE_TEST_SUITE_P(Files, CharacterPackageTest, ::testing::ValuesIn(kPackageCases),
                         [](const auto& test) { return std::string(test.param.name); });

TEST_F(CharacterTest, MissingPackageFile) {
  Character character;
  EXPECT_EQ(character.LoadPackage(PathOf("absent.pkg").c_str()), -11);
  EXPECT_EQ(character.cells, nullptr);
}

TEST_F(CharacterTest, ButtonPicturesAreOwnedAndReplaced) {
  const int32_t before = Display->surfaceCount;
  {
    Character character;
    EXPECT_EQ(character.SetButtonUp(PathOf("absent.bmp").c_str()), nullptr);
    EXPECT_EQ(Display->surfaceCount, before);
    Surface* up = character.SetButtonUp(PathOf(kButton).c_str());
    EXPECT_NE(up, nullptr);
    EXPECT_EQ(character.buttonUpSurface, up);
    EXPECT_NE(character.SetButtonDown(PathOf(kButton).c_str()), nullptr);
    // A second picture gives back the first instead of losing it.
    EXPECT_NE(character.SetButtonDown(PathOf(kButton).c_str()), nullptr);
    EXPECT_EQ(Display->surfaceCount, before + 2);
    EXPECT_EQ(character.SetButtonDown(PathOf("absent.bmp").c_str()), nullptr);
    EXPECT_EQ(Display->surfaceCount, before + 1);
  }
  EXPECT_EQ(Display->surfaceCount, before);
}

TEST_F(CharacterTest, DestructionGivesBackEveryPicture) {
  const int32_t before = Display->surfaceCount;
  {
    Character character;
    character.SetButtonUp(PathOf(kButton).c_str());
    character.SetButtonDown(PathOf(kButton).c_str());
    ASSERT_EQ(character.LoadPackage(Write("character.pkg", Cells(3)).c_str()), 0);
    EXPECT_EQ(Display->surfaceCount, before + 5);
  }
  EXPECT_EQ(Display->surfaceCount, before);
}

struct PositionCase {
  const char* name;
  int32_t orientation;
  int32_t column;
  int32_t row;
  std::vector<std::pair<int32_t, int32_t>> squares;
};
void PrintTo(const PositionCase& c, std::ostream* out) { *out << c.name; }

const PositionCase kPositionCases[] = {
    {"Vertical", Vertical, 2, 5, {{2, 5}, {2, 6}, {2, 7}}},
    {"Horizontal", Horizontal, 2, 5, {{2, 5}, {3, 5}, {4, 5}}},
    {"VerticalAtTheEdge", Vertical, 9, 7, {{9, 7}, {9, 8}, {9, 9}}},
};

class CharacterPositionTest : public CharacterTest,
                              public ::testing::WithParamInterface<PositionCase> {};

TEST_P(CharacterPositionTest, CellsRunFromTheStartSquare) {
  const PositionCase& c = GetParam();
  Character character;
  ASSERT_EQ(character.LoadPackage(Write("character.pkg", Cells(3)).c_str()), 0);
  character.orientation = c.orientation;
  character.SetPosition(c.column, c.row);
  character.SetShown(1);
  for (int32_t i = 0; i < 3; ++i) {
    EXPECT_EQ(character.cells[i]->column, c.squares[i].first) << i;
    EXPECT_EQ(character.cells[i]->row, c.squares[i].second) << i;
    EXPECT_EQ(character.cells[i]->shown, 1) << i;
  }
  character.SetShown(0);
  for (int32_t i = 0; i < 3; ++i) EXPECT_EQ(character.cells[i]->shown, 0) << i;
}

INSTANTIATE_TEST_SUITE_P(Squares, CharacterPositionTest, ::testing::ValuesIn(kPositionCases),
                         [](const auto& test) { return std::string(test.param.name); });

TEST_F(CharacterTest, WithoutCellsNothingHappens) {
  Character character;
  character.SetPosition(3, 3);
  character.SetShown(1);
  EXPECT_EQ(character.cells, nullptr);
}

}  // namespace
