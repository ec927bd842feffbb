// Tests of ContentFindings' own texts: content files read by the real readers with the
// findings installed, each giving exactly the findings listed, and the cap on one file's.
#include <filesystem>
#include <sstream>
#include <string>

#include "content/Character.h"
#include "content/CharacterCell.h"
#include "content/ContentFindings.h"
#include "content/ContentFixture.h"

namespace {

using Severity = ContentFindings::Severity;

// The reader a case goes through: each reads the file of its own name, or, for a board
// overlay, loads and reports the picture the case names, as the game engine does.
enum class Reader { Definition, Character, Cell, Overlay };

class ContentFindingsTest : public ContentFixture {
 protected:
  static void SetUpTestSuite() {
    ContentFixture::SetUpTestSuite();
    WriteBitmap("wide.bmp", 440, 432, "white");
    // A picture made to be partly transparent, as drawing programs save one.
    const std::string command =
        "/usr/bin/convert -size 150x40 xc:'rgba(0,0,0,0)' BMP:'" + PathOf("alpha.bmp") + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }

  // Findings name files by paths relative to the game's folder, as the game does.
  void SetUp() override {
    ContentFixture::SetUp();
    before_ = std::filesystem::current_path();
    std::filesystem::current_path(PathOf(""));
    ContentReport::Install(&findings);
  }
  void TearDown() override {
    ContentReport::Install(nullptr);
    std::filesystem::current_path(before_);
    ContentFixture::TearDown();
  }

  // Reads `text` through `reader`; returns every finding written.
  std::string Read(Reader reader, const std::string& text) {
    if (reader == Reader::Definition) {
      Write("game.pkg", text);
      DefinitionFile definition;
      DefinitionHeader header;
      definition.ReadHeader("game.pkg", &header);
      definition.ReadCharacter(0);
    } else if (reader == Reader::Character) {
      Write("chars.chr", text);
      Character().LoadPackage("chars.chr");
    } else if (reader == Reader::Cell) {
      Write("cell.cpk", text);
      CharacterCell().Load("cell.cpk");
    } else {
      Surface* overlay = Display->LoadBitmap(0, text.c_str());
      ContentReport::ReportPicture(ContentReport::Picture::Overlay, text.c_str(), overlay);
      Display->ReleaseSurface(overlay);
    }
    return out.str();
  }

  std::ostringstream out;
  ContentFindings findings{out};

 private:
  std::filesystem::path before_;
};

// `text` with each character widened to `width` bytes, little- or big-endian.
std::string Widened(const std::string& text, size_t width, bool bigEndian) {
  std::string wide;
  for (const char c : text) {
    std::string unit(width, '\0');
    unit[bigEndian ? width - 1 : 0] = c;
    wide += unit;
  }
  return wide;
}

struct FindingsCase {
  const char* name;
  Reader reader;
  std::string text;
  std::string findings;
};
void PrintTo(const FindingsCase& c, std::ostream* out) { *out << c.name; }

const std::string kCell = "[HEADER]\nSTILL=still.bmp\n";
const std::string kCellKeys = "IDLE PACKAGES=, DIE PACKAGES=, ATTACK PACKAGES=, STILL=";
const std::string kUnread =
    ": the game reads none of its lines as written; save it as UTF-8 (or ASCII) without a "
    "byte-order mark\n";
const std::string kAlpha =
    "has an alpha channel that makes parts of it see-through, which the game ignores: those "
    "parts are drawn in their own colour (a black box where transparency was meant); ";

const FindingsCase kFindingsCases[] = {
    {"CleanCell", Reader::Cell, kCell + "  ; a comment\n \t\n", ""},
    // A file in another encoding gets one finding, and none of what its lines would give.
    {"Utf32WithMark", Reader::Cell, std::string("\xFF\xFE\0\0", 4) + Widened(kCell, 4, false),
     "cell.cpk: warning: the file is saved as UTF-32 (it begins with a byte-order mark)" + kUnread},
    {"Utf32BigEndianWithMark", Reader::Cell,
     std::string("\0\0\xFE\xFF", 4) + Widened(kCell, 4, true),
     "cell.cpk: warning: the file is saved as UTF-32 (it begins with a byte-order mark)" + kUnread},
    {"Utf16BigEndianWithMark", Reader::Cell, "\xFE\xFF" + Widened(kCell, 2, true),
     "cell.cpk: warning: the file is saved as UTF-16 (it begins with a byte-order mark)" + kUnread},
    {"Utf32WithoutMark", Reader::Cell, Widened(kCell, 4, false),
     "cell.cpk: warning: the file is saved as UTF-32" + kUnread},
    {"Utf16BigEndianWithoutMark", Reader::Cell, Widened(kCell, 2, true),
     "cell.cpk: warning: the file is saved as UTF-16" + kUnread},
    // Lines that match no key: why, and the key likely meant, letter case ignored.
    {"IndentedSectionHeader", Reader::Cell, kCell + "  [IDLE 0]\n",
     "cell.cpk:3: warning: indented section header '[IDLE 0]' opens no section: it is an ignored "
     "line of the section above\n"},
    {"MistypedKeyInSmallLetters", Reader::Cell, kCell + "idle packges=0\n",
     "cell.cpk:3: warning: unknown key 'idle packges=' is ignored; did you mean 'IDLE "
     "PACKAGES='?\n"},
    {"LineWithoutEqualsMeant", Reader::Cell, kCell + "STIL still.bmp\n",
     "cell.cpk:3: warning: line 'STIL still.bmp' is ignored; did you mean 'STILL='?\n"},
    {"LineWithoutEquals", Reader::Cell, kCell + "hello world\n",
     "cell.cpk:3: warning: line 'hello world' is ignored (keys here: " + kCellKeys + ")\n"},
    {"LongKeyQuotedInPart", Reader::Cell, kCell + std::string(70, 'X') + "=1\n",
     "cell.cpk:3: warning: unknown key '" + std::string(60, 'X') +
         "...' is ignored (keys here: " + kCellKeys + ")\n"},
    {"UnknownCellSection", Reader::Cell, kCell + "[ANIMS]\n",
     "cell.cpk:3: warning: unknown section 'ANIMS' is skipped (sections of a cell package: HEADER, "
     "ATTACK, DIE, IDLE)\n"},
    {"UnknownDefinitionSection", Reader::Definition, "[HEADER]\n[PLAYERS]\n",
     "game.pkg:2: warning: unknown section 'PLAYERS' is skipped (sections of the game definition: "
     "HEADER, CHARACTER)\n"},
    // Pictures the game draws in part, or whose transparency it ignores.
    {"BackgroundLarger", Reader::Definition, "[HEADER]\nBACKGROUND=wide.bmp\n",
     "game.pkg:2: warning: background picture 'wide.bmp' is 440 x 432, not 432 x 432: only its "
     "top-left 432 x 432 pixels are drawn\n"},
    {"ButtonMeantTransparent", Reader::Definition, "[CHARACTER 0]\nButton_Up=alpha.bmp\n",
     "game.pkg:2: warning: button picture 'alpha.bmp' " + kAlpha +
         "this picture is always drawn whole\n"},
    {"OverlayMeantTransparent", Reader::Overlay, "alpha.bmp",
     "alpha.bmp: warning: board overlay is 150 x 40, not 432 x 432\nalpha.bmp: warning: board "
     "overlay 'alpha.bmp' " +
         kAlpha + "make them pure green (0, 255, 0), the colour the game leaves out\n"},
};

class FindingsTextTest : public ContentFindingsTest,
                         public ::testing::WithParamInterface<FindingsCase> {};

TEST_P(FindingsTextTest, GivesExactlyItsFindings) {
  EXPECT_EQ(Read(GetParam().reader, GetParam().text), GetParam().findings);
}

INSTANTIATE_TEST_SUITE_P(Files, FindingsTextTest, ::testing::ValuesIn(kFindingsCases),
                         [](const auto& test) { return std::string(test.param.name); });

TEST_F(ContentFindingsTest, WarningsAboutAFileStopAfterAHundredWithANote) {
  // A character package of endless mistakes, its cell package of one, then its own error.
  Write("cell.cpk", kCell + "x=1\n");
  std::string text = "[HEADER]\nCELLS=1\n";
  std::string expected;
  for (int line = 3; line < 153; ++line) {
    text += "x=1\n";
    if (line < 103) {
      expected += "chars.chr:" + std::to_string(line) +
                  ": warning: unknown key 'x=' is ignored (keys here: CELLS=)\n";
    }
  }
  EXPECT_EQ(Read(Reader::Character, text + "[CELL 0]\nPACKAGE=cell.cpk\n[CELL 5]\n"),
            expected +
                "chars.chr: note: further warnings and notes about this file are left out\n"
                "cell.cpk:3: warning: unknown key 'x=' is ignored (keys here: " +
                kCellKeys +
                ")\nchars.chr:155: error: section 'CELL 5' is outside CELLS=1 (cells 0 to 0) (the "
                "game stops with \"Failed to process package. Error -1\")\n");
  EXPECT_EQ(findings.Count(Severity::Warning), 101);
  EXPECT_EQ(findings.Count(Severity::Note), 1);
}

}  // namespace
