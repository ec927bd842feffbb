// Tests of DefinitionFile: the header of game definitions on disk (texts, count, `complete`,
// the background rules), finding CHARACTER sections, and how a failing character package is
// reported and cleaned up.
#include <memory>
#include <string>
#include <vector>

#include "content/Character.h"
#include "content/ContentFixture.h"
#include "content/DefinitionFile.h"

namespace {

class DefinitionFileTest : public ContentFixture {
 protected:
  void SetUp() override {
    ContentFixture::SetUp();
    Write("good.cpk", "[HEADER]\nSTILL=$D/still.bmp\n");
    Write("one.pkg", "[HEADER]\nCELLS=1\n[CELL 0]\nPACKAGE=$D/good.cpk\n");
    Write("two.pkg",
          "[HEADER]\nCELLS=2\n[CELL 0]\nPACKAGE=$D/good.cpk\n[CELL 1]\nPACKAGE=$D/good.cpk\n");
  }

  // Opens a definition holding `text` by reading its header.
  void Open(DefinitionFile& definition, const std::string& text) {
    DefinitionHeader header;
    definition.ReadHeader(Write("morrels.pkg", text).c_str(), &header);
    ASSERT_EQ(definition.isOpen, 1);
  }
};

struct HeaderCase {
  const char* name;
  std::string file;
  int32_t result;
  const char* gameName;  // null when none is to be read
  const char* description;
  int32_t characterCount;
  int32_t complete;
  bool background;
};
void PrintTo(const HeaderCase& c, std::ostream* out) { *out << c.name; }

// A NAME= line of 1035 characters: the line keeps 1023 of them, the value 1018.
const std::string kLongName(1030, 'n');
const std::string kCutName(1018, 'n');

const HeaderCase kHeaderCases[] = {
    {"AllInOneHeader",
     "[HEADER]\nNAME=Morrels\nDESCRIPTION=A game\nCHARACTERS=3\nBACKGROUND=$D/background.bmp\n", 3,
     "Morrels", "A game", 3, 1, true},
    {"AnyOrder", "[HEADER]\nCHARACTERS=2\nDESCRIPTION=d\nNAME=n\n", 2, "n", "d", 2, 1, false},
    {"SpreadOverTwoHeaders",
     "[HEADER]\nNAME=n\n[CHARACTER 0]\nPackage=x\n[HEADER]\nDESCRIPTION=d\nCHARACTERS=1\n", 1, "n",
     "d", 1, 1, false},
    {"FirstNameStays", "[HEADER]\nNAME=first\nNAME=second\nDESCRIPTION=d\nDESCRIPTION=e\n", 0,
     "first", "d", 0, 0, false},
    {"LastCountWins", "[HEADER]\nCHARACTERS=2\nCHARACTERS=4\n", 4, nullptr, nullptr, 4, 0, false},
    {"CompleteStaysWhenTheCountReturnsToZero",
     "[HEADER]\nNAME=n\nDESCRIPTION=d\nCHARACTERS=2\nCHARACTERS=0\n", 0, "n", "d", 0, 1, false},
    {"EmptyNameCounts", "[HEADER]\nNAME=\nDESCRIPTION=\nCHARACTERS=1\n", 1, "", "", 1, 1, false},
    {"ValuesKeepTheirSpaces", "[HEADER]\nNAME= Morrels \nCHARACTERS= 2 characters\n", 2,
     " Morrels ", nullptr, 2, 0, false},
    {"NoDescription", "[HEADER]\nNAME=n\nCHARACTERS=1\n", 1, "n", nullptr, 1, 0, false},
    {"NoCount", "[HEADER]\nNAME=n\nDESCRIPTION=d\n", 0, "n", "d", 0, 0, false},
    {"NegativeCount", "[HEADER]\nNAME=n\nDESCRIPTION=d\nCHARACTERS=-2\n", -2, "n", "d", -2, 1,
     false},
    {"SecondBackgroundIgnored",
     "[HEADER]\nBACKGROUND=$D/background.bmp\nBACKGROUND=$D/missing.bmp\n", 0, nullptr, nullptr, 0,
     0, true},
    {"MissingBackgroundAfterACompleteRecord",
     "[HEADER]\nNAME=n\nDESCRIPTION=d\nCHARACTERS=1\nBACKGROUND=$D/missing.bmp\n", -2, "n", "d", 1,
     1, false},
    {"MissingBackgroundStopsTheRead",
     "[HEADER]\nBACKGROUND=$D/missing.bmp\nNAME=n\nDESCRIPTION=d\nCHARACTERS=1\n", -2, nullptr,
     nullptr, 0, 0, false},
    {"SectionNamesArePrefixesInAnyCase",
     "[header]\nNAME=n\n[HEADERS]\nDESCRIPTION=d\n[Header] ; note\nCHARACTERS=1\n", 1, "n", "d", 1,
     1, false},
    {"HeaderWithoutBracketIsNotRecognised", "[HEADER\nNAME=n\nDESCRIPTION=d\nCHARACTERS=1\n", 0,
     nullptr, nullptr, 0, 0, false},
    {"KeysOnlyInTheFirstColumn", "[HEADER]\n NAME=n\nNAME = n\nname=lower\n", 0, "lower", nullptr,
     0, 0, false},
    {"IndentedHeaderDoesNotEndTheSection", "[HEADER]\n  [OTHER]\nNAME=n\n", 0, "n", nullptr, 0, 0,
     false},
    {"CrLfLineEnds", "[HEADER]\r\nNAME=Morrels\r\nDESCRIPTION=A game\r\nCHARACTERS=3\r\n", 3,
     "Morrels", "A game", 3, 1, false},
    {"CtrlZEndsTheFile", "[HEADER]\nNAME=n\nCHARACTERS=1\n\x1A\nDESCRIPTION=d\n", 1, "n", nullptr,
     1, 0, false},
    {"LongLineIsCut", "[HEADER]\nNAME=" + kLongName + "\n", 0, kCutName.c_str(), nullptr, 0, 0,
     false},
    {"EmptyFile", "", 0, nullptr, nullptr, 0, 0, false},
};

class HeaderFileTest : public DefinitionFileTest,
                       public ::testing::WithParamInterface<HeaderCase> {};

TEST_P(HeaderFileTest, ReadsAsTheFileSays) {
  const HeaderCase& c = GetParam();
  const std::string path = Write("morrels.pkg", c.file);
  DefinitionFile definition;
  DefinitionHeader header;
  EXPECT_EQ(definition.ReadHeader(path.c_str(), &header), c.result);
  EXPECT_EQ(header.name != nullptr, c.gameName != nullptr);
  if (header.name && c.gameName) {
    EXPECT_STREQ(header.name, c.gameName);
  }
  EXPECT_EQ(header.description != nullptr, c.description != nullptr);
  if (header.description && c.description) {
    EXPECT_STREQ(header.description, c.description);
  }
  EXPECT_EQ(header.characterCount, c.characterCount);
  EXPECT_EQ(header.complete, c.complete);
  EXPECT_EQ(BackgroundSurface != nullptr, c.background);
  EXPECT_EQ(definition.isOpen, 1);
  EXPECT_TRUE(boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(Files, HeaderFileTest, ::testing::ValuesIn(kHeaderCases),
                         [](const auto& test) { return std::string(test.param.name); });

TEST_F(DefinitionFileTest, HeaderNeedsARecordAndAFile) {
  DefinitionFile definition;
  EXPECT_EQ(definition.ReadHeader(Write("morrels.pkg", "[HEADER]\n").c_str(), nullptr), -3);
  EXPECT_EQ(definition.isOpen, 0);
  DefinitionHeader header;
  header.characterCount = 7;
  header.complete = 1;
  EXPECT_EQ(definition.ReadHeader(PathOf("absent.pkg").c_str(), &header), -1);
  EXPECT_EQ(definition.isOpen, 0);
  EXPECT_EQ(header.characterCount, 0);
  EXPECT_EQ(header.complete, 0);
  EXPECT_EQ(definition.ReadCharacter(0), nullptr);
}

TEST_F(DefinitionFileTest, BackgroundLoadedEarlierMakesEveryBackgroundLineIgnored) {
  BackgroundSurface = Display->LoadBitmap(0, PathOf(kBackground).c_str());
  Surface* earlier = BackgroundSurface;
  const std::string path = Write("morrels.pkg", "[HEADER]\nBACKGROUND=$D/missing.bmp\n");
  DefinitionFile definition;
  DefinitionHeader header;
  EXPECT_EQ(definition.ReadHeader(path.c_str(), &header), 0);
  EXPECT_EQ(BackgroundSurface, earlier);
}

TEST_F(DefinitionFileTest, RereadingTheHeaderReplacesItsTexts) {
  const std::string path = Write("morrels.pkg", "[HEADER]\nNAME=n\nDESCRIPTION=d\n");
  const std::string other = Write("other.pkg", "[HEADER]\nNAME=m\n");
  DefinitionFile definition;
  DefinitionHeader header;
  definition.ReadHeader(path.c_str(), &header);
  definition.ReadHeader(other.c_str(), &header);
  EXPECT_STREQ(header.name, "m");
  EXPECT_EQ(header.description, nullptr);
}

TEST_F(DefinitionFileTest, SectionsAreFoundByNumberInAnyOrder) {
  DefinitionFile definition;
  Open(definition,
       "[CHARACTER 1]\nPackage=$D/two.pkg\n[HEADER]\nCHARACTERS=2\n"
       "[CHARACTER 0]\nPackage=$D/one.pkg\n[CHARACTER 0]\nPackage=$D/two.pkg\n");
  for (int pass = 0; pass < 2; ++pass) {
    const auto first = definition.ReadCharacter(0);
    const auto second = definition.ReadCharacter(1);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->cellCount, 1) << "the first section of a number is the one used";
    EXPECT_EQ(second->cellCount, 2);
  }
  EXPECT_EQ(definition.isOpen, 1);
}

TEST_F(DefinitionFileTest, SectionNamesArePrefixesAndKeysIgnoreCase) {
  DefinitionFile definition;
  Open(definition,
       "[HEADER]\n[CHARACTERS]\nPACKAGE=$D/one.pkg\nBUTTON_UP=$D/button.bmp\n"
       "[character 2]\npackage=$D/two.pkg\nbutton_down=$D/button.bmp\n");
  const auto zero = definition.ReadCharacter(0);
  ASSERT_NE(zero, nullptr);
  EXPECT_EQ(zero->cellCount, 1);
  EXPECT_NE(zero->buttonUpSurface, nullptr);
  EXPECT_EQ(zero->buttonDownSurface, nullptr);
  const auto two = definition.ReadCharacter(2);
  ASSERT_NE(two, nullptr);
  EXPECT_EQ(two->cellCount, 2);
  EXPECT_NE(two->buttonDownSurface, nullptr);
}

TEST_F(DefinitionFileTest, MissingButtonsAndPackageAreNoError) {
  DefinitionFile definition;
  Open(definition,
       "[HEADER]\n[CHARACTER 0]\nButton_Up=$D/missing.bmp\n"
       "Button_Down=$D/button.bmp\n[CHARACTER 1]\n");
  const auto buttons = definition.ReadCharacter(0);
  ASSERT_NE(buttons, nullptr);
  EXPECT_EQ(buttons->buttonUpSurface, nullptr);
  EXPECT_NE(buttons->buttonDownSurface, nullptr);
  const auto empty = definition.ReadCharacter(1);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->cells, nullptr);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(DefinitionFileTest, SecondPackageLineIsIgnored) {
  DefinitionFile definition;
  Open(definition,
       "[HEADER]\n[CHARACTER 0]\nPackage=$D/one.pkg\nPackage=$D/absent.pkg\n"
       "Package=$D/two.pkg\n");
  const auto character = definition.ReadCharacter(0);
  ASSERT_NE(character, nullptr);
  EXPECT_EQ(character->cellCount, 1);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(DefinitionFileTest, MissingSectionClosesTheFile) {
  DefinitionFile definition;
  Open(definition,
       "[HEADER]\n[CHARACTER 0]\n[CHARACTER 1]\n[CHARACTER 2]\n[CHARACTER 3]\n"
       "[CHARACTER 4]\n");
  EXPECT_EQ(definition.ReadCharacter(5), nullptr);
  EXPECT_EQ(definition.isOpen, 0);
  EXPECT_EQ(definition.ReadCharacter(0), nullptr);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(DefinitionFileTest, CloseEndsTheReading) {
  DefinitionFile definition;
  Open(definition, "[HEADER]\n[CHARACTER 0]\n");
  definition.Close();
  EXPECT_EQ(definition.isOpen, 0);
  EXPECT_EQ(definition.ReadCharacter(0), nullptr);
}

struct FailureCase {
  const char* name;
  const char* package;  // the character package; null for none at all
  int32_t code;
};
void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.name; }

// Every code a character can fail with, each reached by a real file.
const FailureCase kFailureCases[] = {
    {"NoPackageFile", nullptr, -11},
    {"CellNumberOutsideTheCells", "[HEADER]\nCELLS=1\n[CELL 1]\n", -1},
    {"CellsWithoutPackages", "[HEADER]\nCELLS=2\n[CELL 0]\nPACKAGE=$D/good.cpk\n", -12},
    {"TooManyCellsForTheBoard", "[HEADER]\nCELLS=11\n", -12},
    {"NoCellPackageFile", "[HEADER]\nCELLS=1\n[CELL 0]\nPACKAGE=$D/absent.cpk\n", -21},
    {"NoStillPicture", "[HEADER]\nCELLS=1\n[CELL 0]\nPACKAGE=$D/nostill.cpk\n", -22},
    {"AnimationSectionOutsideItsPackages",
     "[HEADER]\nCELLS=1\n[CELL 0]\nPACKAGE=$D/badsection.cpk\n", -23},
    {"AnimationSectionsMissing", "[HEADER]\nCELLS=1\n[CELL 0]\nPACKAGE=$D/miscount.cpk\n", -24},
};

class CharacterFailureTest : public DefinitionFileTest,
                             public ::testing::WithParamInterface<FailureCase> {};

TEST_P(CharacterFailureTest, IsShownOnceAndTheCharacterIsGone) {
  const FailureCase& c = GetParam();
  Write("nostill.cpk", "[HEADER]\nSTILL=$D/missing.bmp\n");
  Write("badsection.cpk", "[HEADER]\nSTILL=$D/still.bmp\nIDLE PACKAGES=1\n[IDLE 1]\n");
  Write("miscount.cpk", "[HEADER]\nSTILL=$D/still.bmp\nATTACK PACKAGES=2\n[ATTACK 0]\n");
  if (c.package) Write("failing.pkg", c.package);
  DefinitionFile definition;
  Open(definition,
       "[HEADER]\n[CHARACTER 0]\nButton_Up=$D/button.bmp\nPackage=$D/failing.pkg\n"
       "Button_Down=$D/button.bmp\n[CHARACTER 1]\nPackage=$D/one.pkg\n");
  EXPECT_EQ(definition.ReadCharacter(0), nullptr);
  EXPECT_EQ(boxes,
            std::vector<std::string>{"Failed to process package. Error " + std::to_string(c.code)});
  // The file stays open for the next character.
  EXPECT_EQ(definition.isOpen, 1);
  EXPECT_NE(definition.ReadCharacter(1), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Codes, CharacterFailureTest, ::testing::ValuesIn(kFailureCases),
                         [](const auto& test) { return std::string(test.param.name); });

TEST_F(DefinitionFileTest, WholeGameLoadsAndGivesEveryPictureBack) {
  const int32_t before = Display->surfaceCount;
  const std::string path =
      Write("morrels.pkg",
            "; The sample game\n[HEADER]\nNAME=Morrels\nDESCRIPTION=Set-up\nCHARACTERS=2\n"
            "BACKGROUND=$D/background.bmp\n\n[CHARACTER 0]\nButton_Up=$D/button.bmp\n"
            "Button_Down=$D/button.bmp\nPackage=$D/two.pkg\n\n[CHARACTER 1]\n"
            "Button_Up=$D/button.bmp\nButton_Down=$D/button.bmp\nPackage=$D/one.pkg\n");
  {
    DefinitionFile definition;
    DefinitionHeader header;
    ASSERT_EQ(definition.ReadHeader(path.c_str(), &header), 2);
    ASSERT_EQ(header.complete, 1);
    std::vector<std::unique_ptr<Character>> characters;
    for (int32_t i = 0; i < header.characterCount; ++i) {
      characters.push_back(definition.ReadCharacter(i));
      ASSERT_NE(characters.back(), nullptr) << i;
    }
    definition.Close();
    // Background, 4 buttons, 3 cell stills.
    EXPECT_EQ(Display->surfaceCount, before + 8);
    EXPECT_TRUE(boxes.empty());
  }
  EXPECT_EQ(Display->surfaceCount, before + 1) << "only the background is left, for the engine";
}

}  // namespace
