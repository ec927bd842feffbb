// --watch on a copy of the sample game: a save that breaks the game leaves the running one as
// it was and says why; mending it brings the new content in with the arrangement kept. What is
// wrong is shown over the play screen, wrapped, as many lines as fit.
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "ShellFixture.h"
#include "app/ContentWatch.h"
#include "board/GameEngine.h"
#include "board/GridSquare.h"
#include "content/GameFiles.h"
#include "content/TempDir.h"
#include "display/DisplayDevice.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Whether the watch reloads the game within `time`, asked as the frame loop asks it.
bool ReloadsWithin(ContentWatch& watch, std::chrono::milliseconds time) {
  for (const auto end = std::chrono::steady_clock::now() + time;
       std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(10ms)) {
    if (watch.Changed()) return true;
  }
  return false;
}

TEST_F(ShellFixture, ABrokenSaveKeepsTheRunningGame) {
  const char* root = std::getenv("TARNWICK_SOURCE_DIR");
  TempDir game;
  fs::copy(fs::path(root ? root : ".") / "game", game.path(), fs::copy_options::recursive);
  const fs::path home = fs::current_path();
  fs::current_path(game.path());
  ASSERT_EQ(CreateMainWindow(), 1);
  Display = std::make_unique<DisplayDevice>();
  ASSERT_EQ(Display->Init(DisplayWindowed, MainWindow, 640, 480, 32, 0), 1);
  Engine = std::make_unique<GameEngine>();
  ContentWatch watch;
  ASSERT_TRUE(watch.Reload());
  // A file the game does not read is no save of it; a picture it shows is.
  std::ofstream("notes.txt") << "written";
  EXPECT_FALSE(ReloadsWithin(watch, 500ms));
  fs::copy_file("images/Board.bmp", "board.bmp");
  fs::rename("board.bmp", "images/Board.bmp");
  EXPECT_TRUE(ReloadsWithin(watch, 5000ms));
  // The Puffballs (two cells) stand on column 4, rows 8 and 9; the Toadstools are selected.
  Engine->Select(4);
  Engine->Preview({4, 8});
  ASSERT_TRUE(Engine->TryPlace({4, 8}));
  Engine->Select(1);
  Character* const running = Characters[4].get();
  const int32_t surfaces = Display->surfaceCount;

  fs::rename("packages/cells/puffball_1.cel", "puffball_1.cel");
  EXPECT_FALSE(watch.Reload());
  EXPECT_EQ(Characters[4].get(), running);
  EXPECT_EQ(Square(4, 9).occupant, running);
  EXPECT_EQ(Engine->selectedCharacter, 1);
  EXPECT_EQ(Display->surfaceCount, surfaces) << "what the broken read made is given back";
  // Over the play screen, cut to the screen's width.
  EXPECT_FALSE(FrameComposition::OverlayLines().empty());
  for (const std::string& line : FrameComposition::OverlayLines()) {
    EXPECT_LE(line.size(), ContentWatch::kLineWidth) << line;
  }

  fs::rename("puffball_1.cel", "packages/cells/puffball_1.cel");
  EXPECT_TRUE(watch.Reload());
  EXPECT_TRUE(FrameComposition::OverlayLines().empty());
  EXPECT_NE(Characters[4].get(), running);
  EXPECT_EQ(Display->surfaceCount, surfaces);
  EXPECT_EQ(Square(4, 9).occupant, Characters[4].get());
  EXPECT_EQ(Engine->selectedCharacter, 1);
  EXPECT_EQ(boxes, std::vector<std::string>{});

  // A finding is cut at the last space within the width unless that comes before its middle,
  // and goes on four spaces in; what start-up would do follows it.
  const std::string b(28, 'b'), c(32, 'c'), d(79, 'd'), e(101, 'e');
  std::ifstream in(kDefinitionPath);
  std::string definition(std::istreambuf_iterator<char>(in), {});
  const std::string package = "packages/characters/morels.chr";
  definition.replace(definition.find(package), package.size(), b + " " + c + " " + d + " " + e);
  game.Write(kDefinitionPath, definition);
  watch.Reload();
  const std::vector<std::string> wrapped = {
      "packages/morrels.pkg:33: error: character package '" + b,
      "    " + c + " " + d.substr(0, 43),
      "    " + d.substr(43),
      "    " + e.substr(0, 76),
      "    " + e.substr(76) + "' cannot be opened: No such file or directory (the",
      "    game stops with \"Failed to process package. Error -11\")",
      "the game as saved would stop with \"Failed to process package. Error -11\"; the",
      "    last good game goes on until a save mends it"};
  EXPECT_EQ(FrameComposition::OverlayLines(), wrapped);
  for (GridSquare& square : Grid) square = GridSquare();
  fs::current_path(home);
}

}  // namespace
