// Tests of ContentFile: path resolution on real folders, and which files are opened at all.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>

#include "content/TempDir.h"
#include "platform/ContentFile.h"

namespace {

namespace fs = std::filesystem;

// Runs a test inside a folder, so that relative paths are tried as the game tries them.
class InFolder {
 public:
  explicit InFolder(const fs::path& folder) : previous_(fs::current_path()) {
    fs::current_path(folder);
  }
  ~InFolder() { fs::current_path(previous_); }
  InFolder(const InFolder&) = delete;
  InFolder& operator=(const InFolder&) = delete;

 private:
  fs::path previous_;
};

// A leading "$D" stands for the test folder's absolute path, "$B" for it with '\' separators.
std::string Expand(const std::string& text, std::string folder) {
  if (text.starts_with("$B")) std::replace(folder.begin(), folder.end(), '/', '\\');
  return text.starts_with("$") ? folder + text.substr(2) : text;
}

TEST(ContentFileResolve, FindsPathsAsTheHomePlatformDoes) {
  TempDir dir;
  for (const char* name : {"images/Board.bmp", "images/buttons/up.bmp", "sounds/bleep14.wav",
                           "Twin/a.txt", "twin/a.txt", "same.BMP", "Same.bmp", "\xC3\x89.txt"}) {
    dir.Write(name, "x");
  }
  fs::create_directory_symlink("images", dir.path() / "linked");
  fs::create_directory_symlink(".", dir.path() / "here");
  fs::create_symlink("loop", dir.path() / "loop");
  const InFolder inside(dir.path());

  const PathMatch kExact = PathMatch::Exact, kFallback = PathMatch::Fallback,
                  kMissing = PathMatch::Missing;
  struct Case {
    const char* path;
    PathMatch match;
    const char* resolved;
  } cases[] = {
      {"images/Board.bmp", kExact, "images/Board.bmp"},
      {"images//Board.bmp", kExact, "images//Board.bmp"},
      {"images/board.bmp", kFallback, "images/Board.bmp"},
      {"IMAGES/BUTTONS/UP.BMP", kFallback, "images/buttons/up.bmp"},
      {"images\\buttons\\up.bmp", kFallback, "images/buttons/up.bmp"},
      {"Images\\\\Board.BMP", kFallback, "images/Board.bmp"},
      {"images/none.bmp", kMissing, ""},
      {"images/Board.bmp/x", kMissing, ""},
      // Two names that differ only in case: either one as written, neither through the fallback.
      {"same.BMP", kExact, "same.BMP"},
      {"Same.bmp", kExact, "Same.bmp"},
      {"SAME.BMP", kMissing, ""},
      {"twin/a.txt", kExact, "twin/a.txt"},
      {"TWIN/a.txt", kMissing, ""},
      // Only ASCII letters fold.
      {"\xC3\xA9.txt", kMissing, ""},
      // Links are followed; a link loop is missing.
      {"LINKED/board.bmp", kFallback, "linked/Board.bmp"},
      {"HERE/here/Here/sounds/BLEEP14.wav", kFallback, "here/here/here/sounds/bleep14.wav"},
      {"loop", kMissing, ""},
      {"LOOP/x", kMissing, ""},
      // ".." is the system's, after the folder it follows has been found.
      {"IMAGES/../Sounds/bleep14.wav", kFallback, "images/../sounds/bleep14.wav"},
      {"images/../../missing", kMissing, ""},
      // Absolute paths; a trailing separator asks for a folder.
      {"$D/Images/board.bmp", kFallback, "$D/images/Board.bmp"},
      {"$B\\images\\Board.bmp", kFallback, "$D/images/Board.bmp"},
      {"$D/images/Board.bmp", kExact, "$D/images/Board.bmp"},
      {"IMAGES/", kFallback, "images/"},
      {"images\\", kFallback, "images/"},
      {"images/board.bmp/", kMissing, ""},
      {"", kMissing, ""},
  };
  const std::string folder = dir.path().string();
  for (const Case& c : cases) {
    const std::string path = Expand(c.path, folder);
    const ResolvedPath found = ResolveContentPath(path.c_str());
    EXPECT_EQ(found.match, c.match) << c.path;
    EXPECT_EQ(found.path, Expand(c.resolved, folder)) << c.path;
  }
  EXPECT_EQ(ResolveContentPath(nullptr).match, kMissing);
}

TEST(ContentFileResolve, WorkIsBounded) {
  TempDir dir;
  // Each "SUB" is found by reading the whole folder: 1000 files, "sub", "." and "..".
  for (int i = 0; i < 1000; ++i) dir.Write(std::to_string(i), "");
  fs::create_directory(dir.path() / "sub");
  const InFolder inside(dir.path());
  const auto through = [](size_t steps) {
    std::string path;
    for (size_t i = 0; i < steps; ++i) path += "SUB/../";
    return ResolveContentPath((path + "7").c_str()).match;
  };
  const size_t affordable = ContentFile::kMaxEntriesRead / 1003;
  EXPECT_EQ(through(affordable), PathMatch::Fallback);
  EXPECT_EQ(through(affordable + 1), PathMatch::Missing);
}

TEST(ContentFileOpen, OpensRegularFilesOnlyAndNeverWaits) {
  TempDir dir;
  dir.Write("Text.pkg", "twelve bytes");
  fs::create_directory(dir.path() / "folder");
  ASSERT_EQ(::mkfifo(dir.PathOf("pipe.pkg").c_str(), 0600), 0);
  fs::create_symlink("/dev/zero", dir.path() / "endless.pkg");
  fs::create_symlink("Text.pkg", dir.path() / "linked.pkg");
  const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socketPath = dir.PathOf("socket.pkg");
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  std::strcpy(address.sun_path, socketPath.c_str());
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  const InFolder inside(dir.path());

  const struct {
    const char* path;
    bool opens;
  } cases[] = {
      {"Text.pkg", true},   {"TEXT.PKG", true},    {"linked.pkg", true}, {"missing.pkg", false},
      {"folder", false},    {"pipe.pkg", false},   {"PIPE.PKG", false},  {"endless.pkg", false},
      {"/dev/null", false}, {"socket.pkg", false}, {"Text.pkg/", false}, {"", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ContentFile(c.path).IsOpen(), c.opens) << c.path;
  }
  ::close(listener);

  ContentFile file("text.pkg");
  ASSERT_TRUE(file.IsOpen());
  EXPECT_EQ(file.Size(), 12);
  const int flags = ::fcntl(file.Descriptor(), F_GETFL);
  EXPECT_EQ(flags & O_NONBLOCK, 0) << "reads must wait for the disk like any other";
  EXPECT_EQ(flags & O_ACCMODE, O_RDONLY);
  EXPECT_NE(::fcntl(file.Descriptor(), F_GETFD) & FD_CLOEXEC, 0);
  char bytes[16] = {};
  EXPECT_EQ(file.Read(bytes, sizeof bytes), 12);
}

}  // namespace
