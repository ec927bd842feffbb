// --watch on a copy of the sample game: a save that breaks the game leaves the running one as
// it was and says why; mending it brings the new content in with the arrangement kept.
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "ShellFixture.h"
#include "app/ContentWatch.h"
#include "board/GameEngine.h"
#include "board/GridSquare.h"
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
  for (GridSquare& square : Grid) square = GridSquare();
  fs::current_path(home);
}

}  // namespace
