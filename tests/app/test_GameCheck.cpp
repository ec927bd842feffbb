// Tests of the content check: the finding of every error code and warning kind on a small
// crafted game, and the check's verdict beside what the game does on broken sample games.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "app/GameCheck.h"
#include "content/TempDir.h"
#include "platform/Errors.h"

namespace {

namespace fs = std::filesystem;

// A game of one character of one cell, every line numbered in the findings below.
const char* const kDefinition =
    "[HEADER]\n"                     // 1
    "NAME=Mini\n"                    // 2
    "DESCRIPTION=A small game\n"     // 3
    "CHARACTERS=1\n"                 // 4
    "BACKGROUND=images/board.bmp\n"  // 5
    "[CHARACTER 0]\n"                // 6
    "Button_Up=images/up.bmp\n"      // 7
    "Button_Down=images/down.bmp\n"  // 8
    "Package=packages/one.chr\n";    // 9
const char* const kCharacter =
    "[HEADER]\n"                   // 1
    "CELLS=1\n"                    // 2
    "[CELL 0]\n"                   // 3
    "PACKAGE=packages/one.cel\n";  // 4
const char* const kCell =
    "[HEADER]\n"                 // 1
    "IDLE PACKAGES=0\n"          // 2
    "STILL=images/still.bmp\n";  // 3

fs::path SampleGame() {
  const char* root = std::getenv("TARNWICK_SOURCE_DIR");
  return fs::path(root ? root : ".") / "game";
}

// Runs the check in `folder`, returning its output; `exitCode` receives its result.
std::string CheckIn(const fs::path& folder, int& exitCode) {
  const fs::path before = fs::current_path();
  fs::current_path(folder);
  std::ostringstream out;
  std::ostringstream err;
  exitCode = RunCheck(out, err);
  EXPECT_EQ(err.str(), "");
  fs::current_path(before);
  LastError = 0;
  return out.str();
}

// Replaces the first `from` in a file with `to`.
void Edit(const fs::path& file, const std::string& from, const std::string& to) {
  std::ifstream in(file, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const size_t at = text.find(from);
  ASSERT_NE(at, std::string::npos) << from << " not in " << file;
  text.replace(at, from.size(), to);
  std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
}

// `text` as UTF-16 little-endian, with its byte-order mark.
std::string Utf16(const std::string& text) {
  std::string wide = "\xFF\xFE";
  for (const char c : text) wide += std::string{c, '\0'};
  return wide;
}

std::string Repeat(const std::string& text, int times) {
  std::string repeated;
  for (int i = 0; i < times; ++i) repeated += text;
  return repeated;
}

struct FindingCase {
  const char* name;
  const char* file;  // in the crafted game
  const char* from;  // text replaced; null removes the file, "" appends
  std::string to;
  std::string finding;
  int findings = 1;  // lines of findings in all, the summary not counted
};

const std::string kFail = "(the game stops with \"Failed to process package. Error ";
const FindingCase kFindingCases[] = {
    // Errors: every code of the readers and every start-up failure that content causes.
    {"NoDefinition", "packages/morrels.pkg", nullptr, "",
     "packages/morrels.pkg: error: the game definition cannot be opened: No such file or directory "
     "(the game shows this in a box and ends)"},
    {"NoBackground", "packages/morrels.pkg", "board.bmp", "bord.bmp",
     "packages/morrels.pkg:5: warning: background picture 'images/bord.bmp' cannot be opened: "
     "No such file or directory (the game reads no further in the header and shows no board "
     "picture)"},
    {"HeaderIncomplete", "packages/morrels.pkg", "NAME=Mini\n", "",
     "packages/morrels.pkg:1: error: the header lacks NAME= (the game shows this in a box and "
     "ends)"},
    {"TooManyCharacters", "packages/morrels.pkg", "CHARACTERS=1", "CHARACTERS=6",
     "packages/morrels.pkg:4: error: CHARACTERS=6 is more than 5 (the game stops with \"Too many "
     "characters in definition file. Terminating\")",
     2},
    {"MissingCharacterSection", "packages/morrels.pkg", "CHARACTERS=1", "CHARACTERS=2",
     "packages/morrels.pkg:4: error: there is no section CHARACTER 1, which CHARACTERS=2 asks for "
     "(the game shows this in a box and ends)"},
    {"NoCharacterPackage", "packages/morrels.pkg", "one.chr", "none.chr",
     "packages/morrels.pkg:9: error: character package 'packages/none.chr' cannot be opened: "
     "No such file or directory " +
         kFail + "-11\")"},
    {"CellOutsideTheCount", "packages/one.chr", "[CELL 0]", "[CELL 1]",
     "packages/one.chr:3: error: section 'CELL 1' is outside CELLS=1 (cells 0 to 0) " + kFail +
         "-1\")"},
    {"CellBeforeTheCount", "packages/one.chr", "[HEADER]\nCELLS=1\n", "",
     "packages/one.chr:1: error: section 'CELL 0' comes before any CELLS= line; there is no "
     "[HEADER] section " +
         kFail + "-1\")"},
    {"CellCountMismatch", "packages/one.chr", "CELLS=1", "CELLS=2",
     "packages/one.chr:2: error: CELLS=2 but 1 cell packages loaded " + kFail + "-12\")", 2},
    {"CellNumberSkipped", "packages/one.chr", "CELLS=1", "CELLS=2",
     "packages/one.chr:2: warning: no section 'CELL 1' of CELLS=2: cell 1 gets no package and no "
     "picture, and is invisible on the board",
     2},
    {"CellNumberTwice", "packages/one.chr", "CELLS=1",
     "CELLS=2\n[CELL 0]\nPACKAGE=packages/one.cel",
     "packages/one.chr:5: warning: section 'CELL 0' is given twice (first at line 3): its package "
     "is loaded into the same cell, which keeps the first one's picture",
     2},
    {"NumberTooLarge", "packages/one.chr", "CELLS=1", "CELLS=99999999999",
     "packages/one.chr:2: error: CELLS=99999999999, which does not fit a number and is read as "
     "1215752191, makes the character longer than the board (10 squares) " +
         kFail + "-12\")"},
    {"LongerThanTheBoard", "packages/one.chr", "CELLS=1", "CELLS=11",
     "packages/one.chr:2: error: CELLS=11 makes the character longer than the board (10 squares) " +
         kFail + "-12\")"},
    {"NoCellPackage", "packages/one.chr", "one.cel", "two.cel",
     "packages/one.chr:4: error: cell package 'packages/two.cel' cannot be opened: No such "
     "file or directory " +
         kFail + "-21\")"},
    {"NoStill", "packages/one.cel", "still.bmp", "gone.bmp",
     "packages/one.cel:3: error: still picture 'images/gone.bmp' cannot be opened: No such "
     "file or directory " +
         kFail + "-22\")"},
    {"PackageSectionOutside", "packages/one.cel", "", "[IDLE 0]\n",
     "packages/one.cel:4: error: section 'IDLE 0' is outside IDLE PACKAGES=0 (no sections; the "
     "count must come first) " +
         kFail + "-23\")"},
    {"PackageSectionBeforeStill", "packages/one.cel", "STILL=", "[IDLE 0]\nSTILL=",
     "packages/one.cel:3: error: section 'IDLE 0' is outside IDLE PACKAGES=0 (no sections; the "
     "count must come first) " +
         kFail + "-23\")"},
    {"PackageCountMismatch", "packages/one.cel", "IDLE PACKAGES=0", "IDLE PACKAGES=1",
     "packages/one.cel:2: error: IDLE PACKAGES=1 but 0 IDLE sections " + kFail + "-24\")"},
    {"TooManyPackages", "packages/one.cel", "IDLE PACKAGES=0", "IDLE PACKAGES=101",
     "packages/one.cel:2: error: IDLE PACKAGES=101 is more than 100 " + kFail + "-24\")"},
    {"NoOverlay", "images/GridOverlay.bmp", nullptr, "",
     "images/GridOverlay.bmp: error: board overlay cannot be opened: No such file or directory "
     "(the game stops with \"Failed to initialize game engine.\")"},
    // Warnings: what the game accepts without a word.
    {"MistypedKey", "packages/morrels.pkg", "Button_Up", "Buton_Up",
     "packages/morrels.pkg:7: warning: unknown key 'Buton_Up=' is ignored; did you mean "
     "'Button_Up='?"},
    {"MistypedSection", "packages/one.cel", "[HEADER]", "[HAEDER]",
     "packages/one.cel:1: warning: unknown section 'HAEDER' is skipped; did you mean 'HEADER'?", 2},
    {"UnknownSection", "packages/one.chr", "", "[ANIMATIONS]\n",
     "packages/one.chr:5: warning: unknown section 'ANIMATIONS' is skipped (sections of a "
     "character package: HEADER, CELL)"},
    {"CrLfLineEnds", "packages/one.chr", "[HEADER]\nCELLS=1\n",
     "[HEADER]\r\n\r\nCELLS=1\r\nBOGUS=1\r\n",
     "packages/one.chr:4: warning: unknown key 'BOGUS=' is ignored (keys here: CELLS=)"},
    {"ControlBytes", "packages/one.chr", "", "\x1b]0;owned\x07=1\n",
     "packages/one.chr:5: warning: unknown key '\\x1b]0;owned\\x07=' is ignored (keys here: "
     "PACKAGE=)"},
    {"NulByte", "packages/morrels.pkg", "one.chr", std::string("o\0ne.chr", 8),
     "packages/morrels.pkg:9: warning: the line holds a NUL byte, and is read only up to it: as "
     "'Package=packages/o'",
     2},
    {"Utf16", "packages/one.chr", kCharacter, Utf16(kCharacter),
     "packages/one.chr: warning: the file is saved as UTF-16 (it begins with a byte-order mark): "
     "the game reads none of its lines as written; save it as UTF-8 (or ASCII) without a "
     "byte-order mark",
     2},
    {"Utf16WithoutMark", "packages/one.cel", kCell, Utf16(kCell).substr(2),
     "packages/one.cel: warning: the file is saved as UTF-16: the game reads none of its lines as "
     "written; save it as UTF-8 (or ASCII) without a byte-order mark"},
    {"CrOnly", "packages/one.chr", kCharacter,
     "[HEADER]\rCELLS=1\r[CELL 0]\rPACKAGE=packages/one.cel\r",
     "packages/one.chr: warning: the lines end in CR alone (as saved on classic Mac OS): the game "
     "reads the whole file as one line; save it with LF or CR LF line ends",
     2},
    {"NotText", "packages/one.cel", kCell, std::string(300, '\x01'),
     "packages/one.cel: warning: the file is not text (it holds many control bytes): "
     "a content file is a text file of sections and KEY=value lines"},
    {"IndentedKey", "packages/one.chr", "CELLS=1", " CELLS=1",
     "packages/one.chr:2: warning: indented key 'CELLS=' is ignored: keys begin in the first "
     "column",
     2},
    {"SpaceBeforeEquals", "packages/morrels.pkg", "NAME=", "NAME =",
     "packages/morrels.pkg:2: warning: 'NAME =' is not the key 'NAME=': no space may stand before "
     "the '='",
     2},
    {"NoClosingBracket", "packages/one.chr", "[CELL 0]", "[CELL 0",
     "packages/one.chr:3: warning: section header has no closing ']': its last character is "
     "dropped, leaving 'CELL '"},
    {"NameReadAsNumberZero", "packages/one.chr", "[CELL 0]", "[CELLS]",
     "packages/one.chr:3: warning: section 'CELLS' is read as 'CELL 0'"},
    {"SectionNeverRead", "packages/morrels.pkg", "", "[CHARACTER 3]\n",
     "packages/morrels.pkg:10: warning: section 'CHARACTER 3' is never read: CHARACTERS=1 reads "
     "CHARACTER 0 to 0"},
    {"RepeatedKey", "packages/morrels.pkg", "NAME=Mini\n", "NAME=Mini\nNAME=Maxi\n",
     "packages/morrels.pkg:3: warning: repeated 'NAME=' is ignored: the first one counts"},
    {"SpaceAfterEquals", "packages/morrels.pkg", "DESCRIPTION=", "DESCRIPTION= ",
     "packages/morrels.pkg:3: note: the value of 'DESCRIPTION=' begins with a space, which is "
     "part of it"},
    {"SpaceAtTheEndOfAPath", "packages/morrels.pkg", "down.bmp", "down.bmp ",
     "packages/morrels.pkg:8: note: the value of 'Button_Down=' ends with a space, which is "
     "part of it",
     2},
    {"TextAfterEndOfFile", "packages/one.chr", "", "\x1A[CELL 1]\n",
     "packages/one.chr:5: warning: a byte 0x1A (Ctrl-Z) ends the file here: the text after it is "
     "never read"},
    {"LineCut", "packages/one.cel", "", "; " + std::string(1100, 'x') + "\n",
     "packages/one.cel:4: warning: line longer than 1023 characters: the 1024th is lost and the "
     "rest is read as a new line",
     2},
    {"NoButtonPicture", "packages/morrels.pkg", "up.bmp", "nope.bmp",
     "packages/morrels.pkg:7: warning: button picture 'images/nope.bmp' cannot be opened: No such "
     "file or directory; the button stays empty"},
    {"CharacterWithoutCells", "packages/morrels.pkg", "Package=packages/one.chr\n", "",
     "packages/morrels.pkg:6: warning: character 0 has no cells"},
    {"CellWithoutStill", "packages/one.cel", "STILL=images/still.bmp\n", "",
     "packages/one.cel: warning: no STILL= line: the cell has no picture and is invisible on the "
     "board"},
    {"CellSectionWithoutPackage", "packages/one.chr", "PACKAGE=packages/one.cel\n", "",
     "packages/one.chr:3: warning: section 'CELL 0' has no PACKAGE= line: the cell gets no package "
     "and no picture",
     2},
    {"NoSections", "packages/one.cel", "[HEADER]", "HEADER",
     "packages/one.cel: warning: no sections at all: nothing in the file is read", 2},
    {"BackgroundSize", "packages/morrels.pkg", "board.bmp", "up.bmp",
     "packages/morrels.pkg:5: warning: background picture 'images/up.bmp' is 150 x 40, smaller "
     "than 432 x 432: the game does not draw it at all, and the board shows black behind the "
     "grid"},
    {"TransparencyMeant", "packages/one.cel", "still.bmp", "alpha.bmp",
     "packages/one.cel:3: warning: still picture 'images/alpha.bmp' has an alpha channel that "
     "makes parts of it see-through, which the game ignores: those parts are drawn in their own "
     "colour (a black box where transparency was meant); make them pure green (0, 255, 0), the "
     "colour the game leaves out"},
    {"ButtonSize", "packages/morrels.pkg", "images/down.bmp", "images/board.bmp",
     "packages/morrels.pkg:8: warning: button picture 'images/board.bmp' is 432 x 432, not 150 x "
     "40"},
    {"BackgroundHeight", "packages/morrels.pkg", "board.bmp", "low.bmp",
     "packages/morrels.pkg:5: warning: background picture 'images/low.bmp' is 432 x 40, smaller "
     "than 432 x 432: the game does not draw it at all, and the board shows black behind the "
     "grid"},
    {"ButtonHeight", "packages/morrels.pkg", "images/down.bmp", "images/high.bmp",
     "packages/morrels.pkg:8: warning: button picture 'images/high.bmp' is 150 x 432, not 150 x "
     "40"},
    {"StillWidth", "packages/one.cel", "still.bmp", "up.bmp",
     "packages/one.cel:3: warning: still picture 'images/up.bmp' is 150 pixels wide, not 41", 2},
    {"OverlaySize", "images/GridOverlay.bmp", nullptr, "images/still.bmp",
     "images/GridOverlay.bmp: warning: board overlay is 41 x 60, not 432 x 432"},
    {"PathOnlyByFallback", "packages/morrels.pkg", "images/up.bmp", "IMAGES\\UP.BMP",
     "packages/morrels.pkg:7: note: a path written as on Windows is found with letter case ignored "
     "and '\\' read as '/' ('IMAGES\\UP.BMP' as 'images/up.bmp'): it works here"},
    {"PathsInOtherLetterCase", "packages/morrels.pkg", "down.bmp\nPackage=packages",
     "DOWN.bmp\nPackage=PACKAGES",
     "packages/morrels.pkg:8: note: 2 paths written as on Windows are found with letter case "
     "ignored (the first: 'images/DOWN.bmp' as 'images/down.bmp'): they work here"},
    {"PathWithBackslashes", "packages/one.chr", "packages/one.cel", "packages\\one.cel",
     "packages/one.chr:4: note: a path written as on Windows is found with '\\' read as '/' "
     "('packages\\one.cel' as 'packages/one.cel'): it works here"},
    {"NoSound", "sounds/bleep14.wav", nullptr, "",
     "sounds/bleep14.wav: warning: warning sound cannot be opened: a blocked placement makes no "
     "sound"},
    {"SoundNotWav", "sounds/bleep14.wav", "RIFF", "ID3\x03",
     "sounds/bleep14.wav: warning: no warning sound will play: it is not a WAV file: the game "
     "plays RIFF/WAVE files only"},
    {"SoundTooLong", "sounds/bleep14.wav", "datar\"", "data\x02\x01\x10",
     "sounds/bleep14.wav: warning: no warning sound will play: it decodes to 4195336 bytes of "
     "audio, more than the 4194304 a warning sound may hold"},
    // A first 'fmt ' chunk of 1 Hz, 8-bit mono before the file's own: the decoder takes the first.
    {"SoundTwoFormats", "sounds/bleep14.wav", "WAVE",
     std::string("WAVEfmt \x10\0\0\0\x01\0\x01\0\x01\0\0\0\x01\0\0\0\x01\0\x08\0", 28),
     "sounds/bleep14.wav: warning: no warning sound will play: it decodes to 1555495200 bytes of "
     "audio, more than the 4194304 a warning sound may hold"},
    // The format tag, the first byte 1 of the file, made MPEG's.
    {"SoundNotDecoded", "sounds/bleep14.wav", "\x01", "\x55",
     "sounds/bleep14.wav: warning: no warning sound will play: it cannot be decoded: MPEG formats "
     "not supported"},
    // Notes: what the game shows while it starts.
    {"AnimationPackage", "packages/one.cel", "IDLE PACKAGES=0\n",
     "IDLE PACKAGES=1\n[IDLE 0]\nPACKAGE=anims/sway.ani\n[HEADER]\n",
     "packages/one.cel:4: warning: animation package 'anims/sway.ani': the game shows this path in "
     "a "
     "box at start"},
    // What a hostile folder holds fails like a missing file, at once; a file of endless
    // mistakes gives a hundred findings.
    {"EndlessMistakes", "packages/one.chr", "", Repeat("x=1\n", 150),
     "packages/one.chr: note: further warnings and notes about this file are left out", 101},
    {"ErrorAfterEndlessMistakes", "packages/one.chr", "", Repeat("x=1\n", 150) + "[CELL 1]\n",
     "packages/one.chr:155: error: section 'CELL 1' is outside CELLS=1 (cells 0 to 0) " + kFail +
         "-1\")",
     102},
    {"DefinitionIsADevice", "packages/morrels.pkg", nullptr, "/dev/zero",
     "packages/morrels.pkg: error: the game definition cannot be opened: it is not a regular file "
     "(the game shows this in a box and ends)"},
    {"StillIsALinkLoop", "images/still.bmp", nullptr, "images/still.bmp",
     "packages/one.cel:3: error: still picture 'images/still.bmp' cannot be opened: Too many "
     "levels of symbolic links " +
         kFail + "-22\")"},
};

class GameCheckTest : public ::testing::Test {
 protected:
  // Writes the crafted game into `folder`, with pictures of the sample game.
  static void WriteGame(const TempDir& folder) {
    folder.Write("packages/morrels.pkg", kDefinition);
    folder.Write("packages/one.chr", kCharacter);
    folder.Write("packages/one.cel", kCell);
    const fs::path images = SampleGame() / "images";
    const fs::path to = folder.path() / "images";
    fs::create_directories(to);
    fs::copy_file(images / "Board.bmp", to / "board.bmp");
    fs::copy_file(images / "buttons/morel_up.bmp", to / "up.bmp");
    fs::copy_file(images / "buttons/morel_down.bmp", to / "down.bmp");
    fs::copy_file(images / "cells/morel_0.bmp", to / "still.bmp");
    fs::copy_file(images / "GridOverlay.bmp", to / "GridOverlay.bmp");
    fs::copy_file(images / "ShadedOverlay.bmp", to / "ShadedOverlay.bmp");
    fs::create_directories(folder.path() / "sounds");
    fs::copy_file(SampleGame() / "sounds/bleep14.wav", folder.path() / "sounds/bleep14.wav");
    for (const char* name : {"low.bmp", "high.bmp", "alpha.bmp"}) {
      fs::copy_file(pictures_->path() / name, to / name);
    }
  }

  // Pictures of the right width for a background and a button and the wrong height, made once.
  static void SetUpTestSuite() {
    pictures_ = std::make_unique<TempDir>();
    for (const auto& [name, size] : {std::pair{"low.bmp", "432x40"}, {"high.bmp", "150x432"}}) {
      const std::string command = std::string("/usr/bin/convert -size ") + size +
                                  " xc:grey BMP3:'" + (pictures_->path() / name).string() + "'";
      ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    // A still made to be partly transparent, as drawing programs save one.
    const std::string command =
        "/usr/bin/convert -size 41x60 xc:'rgba(0,0,0,0)' -fill red -draw "
        "'rectangle 0,0 20,30' BMP:'" +
        (pictures_->path() / "alpha.bmp").string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }
  static void TearDownTestSuite() { pictures_.reset(); }

  static inline std::unique_ptr<TempDir> pictures_;
};

TEST_F(GameCheckTest, CraftedGameIsClean) {
  TempDir folder;
  WriteGame(folder);
  int exitCode = -1;
  EXPECT_EQ(CheckIn(folder.path(), exitCode),
            "0 errors, 0 warnings, 0 notes: the game starts with 1 character\n");
  EXPECT_EQ(exitCode, kCheckClean);
}

TEST_F(GameCheckTest, EachMistakeGivesItsFinding) {
  for (const FindingCase& c : kFindingCases) {
    SCOPED_TRACE(c.name);
    TempDir folder;
    WriteGame(folder);
    const fs::path file = folder.path() / c.file;
    if (!c.from) {
      fs::remove(file);
      // A replacement names what the removed file becomes a link to.
      if (!c.to.empty()) fs::create_symlink(c.to[0] == '/' ? c.to : folder.PathOf(c.to), file);
    } else if (*c.from == '\0') {
      std::ofstream(file, std::ios::binary | std::ios::app) << c.to;
    } else {
      Edit(file, c.from, c.to);
    }
    int exitCode = -1;
    const std::string output = CheckIn(folder.path(), exitCode);
    EXPECT_NE(output.find(c.finding + "\n"), std::string::npos) << output;
    EXPECT_EQ(std::count(output.begin(), output.end(), '\n') - 1, c.findings) << output;
    const bool errors = output.find(": error: ") != std::string::npos;
    EXPECT_EQ(exitCode, errors ? kCheckErrors : kCheckClean) << output;
    EXPECT_NE(errors, output.ends_with(": the game starts with 1 character\n")) << output;
  }
}

// The broken copies of the sample game that the end-to-end tests start the game on, and the
// way the game ends on each.
enum class Change { kNone, kRemove, kFifo, kEdit };
struct VerdictCase {
  const char* name;
  Change change;
  const char* file;
  const char* from;
  const char* to;
  const char* verdict;
};

const char* const kStarts = "the game starts with 5 characters";
const char* const kSilent = "the game shows its first error in a box and ends";
const char* const kEngine = "the game stops with \"Failed to initialize game engine.\"";

const VerdictCase kVerdictCases[] = {
    {"SampleGame", Change::kNone, "", nullptr, nullptr, kStarts},
    {"NoCharacterPackage", Change::kRemove, "packages/characters/puffballs.chr", nullptr, nullptr,
     "the game stops with \"Failed to process package. Error -11\""},
    {"NoStill", Change::kRemove, "images/cells/inkcap_1.bmp", nullptr, nullptr,
     "the game stops with \"Failed to process package. Error -22\""},
    {"SixCharacters", Change::kEdit, "packages/morrels.pkg", "CHARACTERS=5", "CHARACTERS=6",
     "the game stops with \"Too many characters in definition file. Terminating\""},
    {"AnimationPackage", Change::kEdit, "packages/cells/puffball_0.cel", "IDLE PACKAGES=0",
     "IDLE PACKAGES=1\n[IDLE 0]\nPACKAGE=packages/anims/puffball_sway.ani\n[HEADER]", kStarts},
    {"NoOverlay", Change::kRemove, "images/GridOverlay.bmp", nullptr, nullptr, kEngine},
    {"FifoDefinition", Change::kFifo, "packages/morrels.pkg", nullptr, nullptr, kSilent},
    {"FifoCharacterPackage", Change::kFifo, "packages/characters/puffballs.chr", nullptr, nullptr,
     "the game stops with \"Failed to process package. Error -11\""},
    {"FifoCellPackage", Change::kFifo, "packages/cells/inkcap_1.cel", nullptr, nullptr,
     "the game stops with \"Failed to process package. Error -21\""},
    {"FifoStill", Change::kFifo, "images/cells/inkcap_1.bmp", nullptr, nullptr,
     "the game stops with \"Failed to process package. Error -22\""},
    {"FifoOverlay", Change::kFifo, "images/GridOverlay.bmp", nullptr, nullptr, kEngine},
    {"FifoBackground", Change::kFifo, "images/Board.bmp", nullptr, nullptr, kStarts},
    {"FifoSound", Change::kFifo, "sounds/bleep14.wav", nullptr, nullptr, kStarts},
    {"NoCharacters", Change::kEdit, "packages/morrels.pkg", "CHARACTERS=5", "CHARACTERS=-1",
     "the game starts with no characters: the panel is empty"},
    {"CountTooLarge", Change::kEdit, "packages/morrels.pkg", "CHARACTERS=5",
     "CHARACTERS=99999999999999999999",
     "the game stops with \"Too many characters in definition file. Terminating\""},
};

TEST_F(GameCheckTest, VerdictAgreesWithTheGame) {
  for (const VerdictCase& c : kVerdictCases) {
    SCOPED_TRACE(c.name);
    TempDir folder;
    fs::copy(SampleGame(), folder.path(), fs::copy_options::recursive);
    const fs::path file = folder.path() / c.file;
    if (c.change == Change::kRemove || c.change == Change::kFifo) fs::remove(file);
    if (c.change == Change::kFifo) {
      ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    }
    if (c.change == Change::kEdit) Edit(file, c.from, c.to);
    int exitCode = -1;
    const std::string output = CheckIn(folder.path(), exitCode);
    const std::string last = output.substr(output.rfind('\n', output.size() - 2) + 1);
    EXPECT_NE(last.find(std::string(": ") + c.verdict + "\n"), std::string::npos) << output;
  }
}

}  // namespace
