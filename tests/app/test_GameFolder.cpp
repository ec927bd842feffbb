// Choosing the game folder (command line, working directory, installed sample game) and
// entering it, on real folders.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>

#include "app/GameFolder.h"
#include "content/TempDir.h"

namespace {

namespace fs = std::filesystem;

TEST(GameFolderTest, GivenFolderThenWorkingDirectoryThenInstalledGame) {
  TempDir root;
  // A prefix laid out as the install lays it out, one without the game, and working folders.
  root.Write("prefix/bin/tarnwick", "");
  root.Write("prefix/share/tarnwick/games/morrels/packages/morrels.pkg", "");
  root.Write("bare/bin/tarnwick", "");
  root.Write("here/packages/morrels.pkg", "");
  root.Write("elsewhere/notes.txt", "");
  fs::create_directories(root.path() / "link/packages");
  fs::create_symlink(root.PathOf("missing"), root.path() / "link/packages/morrels.pkg");
  const std::string installed = root.PathOf("prefix/share/tarnwick/games/morrels");
  const std::string program = root.PathOf("prefix/bin/tarnwick");

  struct Case {
    const char* name;
    std::optional<std::string> given;
    std::string work, program;
    std::optional<std::string> expected;
  };
  for (const Case& c : {
           Case{"given wins", "x", root.PathOf("here"), program, "x"},
           Case{"given wins, even empty", "", root.PathOf("elsewhere"), program, ""},
           Case{"a game here", std::nullopt, root.PathOf("here"), program, std::nullopt},
           Case{"a dangling link is a game", std::nullopt, root.PathOf("link"), program,
                std::nullopt},
           Case{"installed game", std::nullopt, root.PathOf("elsewhere"), program, installed},
           Case{"none installed", std::nullopt, root.PathOf("elsewhere"),
                root.PathOf("bare/bin/tarnwick"), std::nullopt},
           Case{"program unknown", std::nullopt, root.PathOf("elsewhere"), "", std::nullopt},
       }) {
    EXPECT_EQ(ChooseGameFolder(c.given, c.work, c.program), c.expected) << c.name;
  }
}

TEST(GameFolderTest, EntersOnlyAFolderThatCanBeRead) {
  TempDir root;
  root.Write("game/packages/morrels.pkg", "");
  const fs::path before = fs::current_path();
  struct Case {
    std::string folder;
    std::string error;
  };
  for (const Case& c : {
           Case{root.PathOf("game"), ""},
           Case{root.PathOf("none"),
                "cannot open game folder '" + root.PathOf("none") + "': No such file or directory"},
           Case{root.PathOf("game/packages/morrels.pkg"),
                "cannot open game folder '" + root.PathOf("game/packages/morrels.pkg") +
                    "': Not a directory"},
       }) {
    std::string error;
    EXPECT_EQ(EnterGameFolder(c.folder, &error), c.error.empty()) << c.folder;
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(fs::current_path(), c.error.empty() ? fs::path(c.folder) : before) << c.folder;
    fs::current_path(before);
  }
}

}  // namespace
