// Start-up as a whole: WinMain on copies of the sample game, from the dialog's answer to the
// end of the frame loop or the failure that stops it.
#include <SDL.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "ShellFixture.h"
#include "app/ConfigDialog.h"
#include "app/ConfigWindow.h"
#include "app/WinMain.h"
#include "board/GameEngine.h"
#include "content/TempDir.h"
#include "display/DisplayDevice.h"

namespace {

struct StartCase {
  const char* name;
  // Changes to the sample game's definition: each pair replaces the first match of a regular
  // expression; an empty definition means the file is removed.
  std::vector<std::pair<std::string, std::string>> edits;
  int32_t displayMode;
  bool counter;
  std::vector<std::string> boxes;
  bool played;             // the frame loop ran until F12
  int32_t characterCount;  // CharacterCount when WinMain has returned
};
void PrintTo(const StartCase& c, std::ostream* out) { *out << c.name; }

const StartCase kStartCases[] = {
    {"SampleGame", {}, DisplayWindowed, true, {}, true, 5},
    {"NegativeCountStartsWithAnEmptyPanel",
     {{"CHARACTERS=5", "CHARACTERS=-3"}},
     DisplayWindowed,
     true,
     {},
     true,
     -3},
    {"ZeroAfterACountStartsWithAnEmptyPanel",
     {{"CHARACTERS=5", "CHARACTERS=5\nCHARACTERS=0"}},
     DisplayWindowed,
     true,
     {},
     true,
     0},
    {"NoCounter",
     {},
     DisplayWindowed,
     false,
     {"Tarnwick: Failed to activate performance counter"},
     false,
     5},
    {"MissingDefinitionInFullScreenSaysWhyAndEnds",
     {{"", ""}},
     DisplayFullScreen,
     true,
     {"Tarnwick: packages/morrels.pkg: error: the game definition cannot be opened: No such file "
      "or directory\nrun 'tarnwick --check GAME' to see every problem at once"},
     false,
     0},
    {"SixCharacters",
     {{"CHARACTERS=5", "CHARACTERS=6"}},
     DisplayWindowed,
     true,
     {"Tarnwick: Too many characters in definition file. Terminating"},
     false,
     0},
    {"ThirdCharacterFailsAfterTwoWereMade",
     {{"Package=packages/characters/chanterelles.chr", "Package=packages/characters/none.chr"}},
     DisplayWindowed,
     true,
     {"Tarnwick: Failed to process package. Error -11"},
     false,
     2},
};

class StartUpTest : public ShellFixture, public ::testing::WithParamInterface<StartCase> {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    SetConfigDialogHandler([] { return ConfigStart; });
    const char* root = std::getenv("TARNWICK_SOURCE_DIR");
    std::filesystem::copy(std::string(root ? root : ".") + "/game", game.path(),
                          std::filesystem::copy_options::recursive);
    ASSERT_EQ(::getcwd(home, sizeof home), home);
    ASSERT_EQ(::chdir(game.path().c_str()), 0);
  }

  void TearDown() override {
    ASSERT_EQ(::chdir(home), 0);
    SetConfigDialogHandler(nullptr);
    ShellFixture::TearDown();
  }

  TempDir game;
  char home[4096] = {};
};

TEST_P(StartUpTest, EndsAsTheContentAndTheMachineSay) {
  const StartCase& c = GetParam();
  const std::string definition = "packages/morrels.pkg";
  for (const auto& [pattern, replacement] : c.edits) {
    if (pattern.empty()) {
      std::filesystem::remove(definition);
      continue;
    }
    std::stringstream text;
    text << std::ifstream(definition).rdbuf();
    const std::string edited = std::regex_replace(text.str(), std::regex(pattern), replacement,
                                                  std::regex_constants::format_first_only);
    ASSERT_NE(edited, text.str()) << pattern;
    std::ofstream(definition, std::ios::trunc) << edited;
  }
  DisplayMode = c.displayMode;
  FakeCounter missing(1000, false);
  if (!c.counter) SetCounter(&missing);
  // Two seconds of play, then F12; a program that ended earlier never takes it.
  script.At(2000, Message{nullptr, WM_KEYDOWN, VK_F12, 0});

  EXPECT_EQ(WinMain(), 0);
  // The game's folder, named in a box, is the test's own.
  for (std::string& box : boxes) {
    const size_t at = box.find(game.path().string());
    if (at != std::string::npos) box.replace(at, game.path().string().size(), "GAME");
  }
  EXPECT_EQ(boxes, c.boxes);
  EXPECT_EQ(FramesPerSecond > 0, c.played);
  EXPECT_EQ(CharacterCount, c.characterCount);
  EXPECT_EQ(Display, nullptr);
  EXPECT_EQ(Engine, nullptr);
  EXPECT_EQ(Characters, nullptr);
  ASSERT_TRUE(IsWindow(MainWindow) != c.played);
  if (!c.played) {
    // The window stands until the process ends, in the style of the chosen mode.
    EXPECT_EQ((SDL_GetWindowFlags(MainWindow->Sdl()) & SDL_WINDOW_BORDERLESS) != 0,
              c.displayMode == DisplayFullScreen);
  }
}

INSTANTIATE_TEST_SUITE_P(Games, StartUpTest, ::testing::ValuesIn(kStartCases),
                         [](const auto& test) { return std::string(test.param.name); });

TEST_F(ShellFixture, QuitInTheDialogEndsBeforeAnythingIsMade) {
  SetConfigDialogHandler([] { return ConfigQuit; });
  EXPECT_EQ(WinMain(), 0);
  SetConfigDialogHandler(nullptr);
  EXPECT_EQ(MainWindow, nullptr);
  EXPECT_EQ(Display, nullptr);
  EXPECT_TRUE(boxes.empty());
}

}  // namespace
