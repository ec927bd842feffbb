// The folder watch on real folders: saves and removals are changes, editors' own files are not,
// nor files the game does not read; a change is taken once, nothing outside the root is
// watched, the root is followed by its path, and what cannot be watched is said once.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include "content/TempDir.h"
#include "platform/FolderWatch.h"

namespace {

namespace fs = std::filesystem;

void Write(const fs::path& file, const char* text) { std::ofstream(file) << text; }

// What the watch reports once it has settled, waiting on its descriptor as the frame loop
// does; false when the descriptor stays quiet, with nothing due.
bool Settled(FolderWatch& watch) {
  pollfd ready{watch.Descriptor(), POLLIN, 0};
  while (poll(&ready, 1, 300) > 0) {
    if (watch.TakeChanges()) return true;
  }
  return false;
}

struct Case {
  const char* what;
  // The paths the game reads; none: every change counts.
  std::vector<std::string> reads;
  std::function<void(const fs::path& game)> save;
  bool changed;
};

TEST(FolderWatchTest, HearsEveryWayOfSavingAndOnlyThat) {
  const Case cases[] = {
      {"written in place", {}, [](const fs::path& g) { Write(g / "images/a.bmp", "new"); }, true},
      {"a folder removed", {}, [](const fs::path& g) { fs::remove_all(g / "packages"); }, true},
      {"an editor's own files",
       {},
       [](const fs::path& g) {
         Write(g / "images/.a.bmp.swp", "x");
         Write(g / "images/a.bmp~", "x");
         Write(g / "#p.pkg#", "x");
       },
       false},
      {"a file the game does not read",
       {"Images\\A.BMP"},
       [](const fs::path& g) { Write(g / "images/play.log", "x"); },
       false},
      {"a file it reads by another letter case",
       {"Images\\A.BMP"},
       [](const fs::path& g) { Write(g / "images/a.bmp", "new"); },
       true},
      {"a folder on the way to a file it missed",
       {"sounds/b.wav"},
       [](const fs::path& g) { fs::create_directory(g / "sounds"); },
       true},
      {"what a link it reads leads to",
       {"shown.bmp"},
       [](const fs::path& g) { Write(g / "images/a.bmp", "new"); },
       true},
  };
  for (const Case& c : cases) {
    TempDir folder;
    const fs::path game = folder.path() / "game";
    folder.Write("game/images/a.bmp", "old");
    folder.Write("game/packages/p.pkg", "old");
    folder.Write("game/.git/index", "old");
    folder.Write("outside/a", "old");
    fs::create_directory_symlink(folder.path() / "outside", game / "linked");
    fs::create_symlink("images/a.bmp", game / "shown.bmp");
    FolderWatch watch(game.string());
    watch.Narrow(c.reads);
    // Neither the hidden folder nor the one behind the link is watched.
    EXPECT_EQ(watch.FolderCount(), 3u) << c.what;
    c.save(game);
    EXPECT_EQ(Settled(watch), c.changed) << c.what;
    EXPECT_FALSE(Settled(watch)) << c.what << ": taken once";
  }
}

TEST(FolderWatchTest, WatchesAFolderRestoredAfterRewatching) {
  TempDir folder;
  folder.Write("game/images/a.bmp", "old");
  FolderWatch watch(folder.PathOf("game"));
  fs::remove_all(folder.PathOf("game/images"));
  folder.Write("game/images/a.bmp", "restored");
  EXPECT_TRUE(Settled(watch));
  watch.Rewatch();
  folder.Write("game/images/a.bmp", "saved again");
  EXPECT_TRUE(Settled(watch));
}

TEST(FolderWatchTest, FollowsTheRootByItsPath) {
  const std::function<void(const fs::path& game)> replaced[] = {
      [](const fs::path& g) { fs::remove_all(g); },
      [](const fs::path& g) { fs::rename(g, g.string() + ".old"); },
  };
  for (const auto& replace : replaced) {
    TempDir folder;
    folder.Write("game/images/a.bmp", "old");
    const fs::path game = folder.path() / "game";
    FolderWatch watch(game.string());
    watch.Narrow({"images/a.bmp"});
    replace(game);
    EXPECT_TRUE(Settled(watch)) << "the root leaving its path";
    folder.Write("game/images/a.bmp", "new");
    EXPECT_TRUE(Settled(watch)) << "a folder at the root's path again";
    watch.Rewatch();
    folder.Write("game/images/a.bmp", "saved");
    EXPECT_TRUE(Settled(watch)) << "a save in the new folder";
  }
}

TEST(FolderWatchTest, SaysOnceWhyItCannotWatch) {
  TempDir folder;
  const fs::path home = fs::current_path();
  fs::current_path(folder.path());
  // Deeper than the longest path the system takes.
  const std::string name(200, 'd');
  for (int i = 0; i < 25; ++i) {
    fs::create_directory(name);
    fs::current_path(name);
  }
  testing::internal::CaptureStderr();
  {
    FolderWatch deep(".");
    deep.Rewatch();
  }
  fs::current_path(home);
  // No descriptor left to watch with.
  rlimit limit{};
  getrlimit(RLIMIT_NOFILE, &limit);
  const rlimit none{0, limit.rlim_max};
  setrlimit(RLIMIT_NOFILE, &none);
  const FolderWatch closed(folder.path().string());
  setrlimit(RLIMIT_NOFILE, &limit);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Tarnwick: --watch cannot watch the game folder: File name too long; saves are not "
            "seen\n"
            "Tarnwick: --watch cannot watch the game folder: Too many open files; saves are not "
            "seen\n");
  EXPECT_FALSE(closed.IsOpen());
  // rm removes a tree deeper than the longest path the system takes, where remove_all fails.
  EXPECT_EQ(std::system(("rm -rf " + folder.path().string()).c_str()), 0);
}

}  // namespace
