// --watch on a copy of the sample game: a save that breaks the game leaves the running one as
// it was and says why; mending it brings the new content in with the arrangement kept. What is
// wrong is shown over the play screen, wrapped, as many lines as fit.
#include <unistd.h>

#include <filesystem>

#include "ShellFixture.h"
#include "app/ContentWatch.h"
#include "board/GameEngine.h"
#include "board/GridSquare.h"
#include "content/GameFiles.h"
#include "content/TempDir.h"
#include "display/DisplayDevice.h"

namespace {

namespace fs = std::filesystem;

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
  // and goes on four spaces in. Lines holding a NUL byte come before it, each a finding of two
  // lines; the lines the screen cannot hold are counted in the last one.
  const std::string b(28, 'b'), c(32, 'c'), d(79, 'd'), e(101, 'e');
  std::ifstream in(kDefinitionPath);
  std::string definition(std::istreambuf_iterator<char>(in), {});
  definition.replace(definition.find("images/Board.bmp"), 16, b + " " + c + " " + d + " " + e);
  const std::vector<std::string> wrapped = {
      "packages/morrels.pkg:21: error: background picture '" + b,
      "    " + c + " " + d.substr(0, 43),
      "    " + d.substr(43),
      "    " + e.substr(0, 76),
      "    " + e.substr(76) + "' cannot be opened: No such file or directory (the",
      "    game reads no further in the header and shows no board picture)"};
  const std::pair<size_t, std::string> cases[] = {
      {0, wrapped.back()}, {11, wrapped.back()}, {14, "... and 7 more lines on standard error"}};
  for (const auto& [nulLines, last] : cases) {
    std::string nuls;
    for (size_t i = 0; i < nulLines; ++i) nuls += std::string("; \0\n", 4);
    game.Write(kDefinitionPath, definition + nuls);
    watch.Reload();
    const std::vector<std::string>& shown = FrameComposition::OverlayLines();
    EXPECT_EQ(shown.size(), std::min(wrapped.size() + 2 * nulLines, ContentWatch::kMostLines));
    EXPECT_EQ(shown.back(), last);
    if (nulLines == 0) {
      EXPECT_EQ(shown, wrapped);
    }
  }
  for (GridSquare& square : Grid) square = GridSquare();
  fs::current_path(home);
}

}  // namespace
