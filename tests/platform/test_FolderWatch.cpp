// The folder watch on real folders: saves and removals are changes, editors' own files are not,
// a change is taken once, and nothing outside the root is watched.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "content/TempDir.h"
#include "platform/FolderWatch.h"

namespace {

namespace fs = std::filesystem;

void Write(const fs::path& file, const char* text) { std::ofstream(file) << text; }

struct Case {
  const char* what;
  std::function<void(const fs::path& game)> save;
  bool changed;
};

TEST(FolderWatchTest, HearsEveryWayOfSavingAndOnlyThat) {
  const Case cases[] = {
      {"written in place", [](const fs::path& g) { Write(g / "images/a.bmp", "new"); }, true},
      {"a folder removed", [](const fs::path& g) { fs::remove_all(g / "packages"); }, true},
      {"an editor's own files",
       [](const fs::path& g) {
         Write(g / "images/.a.bmp.swp", "x");
         Write(g / "images/a.bmp~", "x");
         Write(g / "#p.pkg#", "x");
       },
       false},
  };
  for (const Case& c : cases) {
    TempDir folder;
    const fs::path game = folder.path() / "game";
    folder.Write("game/images/a.bmp", "old");
    folder.Write("game/packages/p.pkg", "old");
    folder.Write("game/.git/index", "old");
    folder.Write("outside/a", "old");
    fs::create_directory_symlink(folder.path() / "outside", game / "linked");
    FolderWatch watch(game.string());
    // Neither the hidden folder nor the one behind the link is watched.
    EXPECT_EQ(watch.FolderCount(), 3u) << c.what;
    c.save(game);
    EXPECT_EQ(watch.TakeChanges(), c.changed) << c.what;
    EXPECT_FALSE(watch.TakeChanges()) << c.what << ": taken once";
  }
}

TEST(FolderWatchTest, WatchesAFolderRestoredAfterRewatching) {
  TempDir folder;
  folder.Write("game/images/a.bmp", "old");
  FolderWatch watch(folder.PathOf("game"));
  fs::remove_all(folder.PathOf("game/images"));
  folder.Write("game/images/a.bmp", "restored");
  EXPECT_TRUE(watch.TakeChanges());
  watch.Rewatch();
  folder.Write("game/images/a.bmp", "saved again");
  EXPECT_TRUE(watch.TakeChanges());
}

}  // namespace
