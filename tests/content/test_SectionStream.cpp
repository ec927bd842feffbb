// Tests of SectionStream: text-mode translation, the three flags, line limits, buffer refills.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "content/SectionStream.h"
#include "content/TempDir.h"
#include "platform/StopSignals.h"

namespace {

constexpr size_t kBuffer = SectionStream::kBufferSize;
constexpr size_t kLine = SectionStream::kLineLength;

// Every character ReadChar delivers, until the stream fails.
std::string ReadAll(SectionStream& stream) {
  std::string text;
  for (;;) {
    const int c = stream.ReadChar();
    if (stream.Failed()) {
      EXPECT_EQ(c, SectionStream::kEnd);
      return text;
    }
    text.push_back(static_cast<char>(c));
  }
}

std::string ReadAllFromFile(const std::string& path) {
  SectionStream stream;
  stream.Open(path.c_str());
  EXPECT_TRUE(stream.IsOpen()) << path;
  return ReadAll(stream);
}

std::string ReadOneLine(SectionStream& stream) {
  std::vector<char> line(kLine + 1, '#');
  stream.ReadLine(line.data());
  return std::string(line.data());
}

// The text a file holds after the format's translation: CR LF becomes LF, 0x1A ends it.
std::string Translate(const std::string& bytes) {
  std::string text;
  for (size_t i = 0; i < bytes.size() && bytes[i] != '\x1A'; ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
      continue;
    }
    text.push_back(bytes[i]);
  }
  return text;
}

// The stream's rules restated over translated text in memory, to compare the real stream with.
struct ModelStream {
  std::string text;
  size_t at = 0;
  bool end = false;
  bool fail = false;

  bool AnyFlag() const { return end || fail; }
  int ReadChar() {
    if (AnyFlag() || at == text.size()) {
      end = end || !AnyFlag();
      fail = true;
      return SectionStream::kEnd;
    }
    return static_cast<unsigned char>(text[at++]);
  }
  int Peek() {
    if (AnyFlag()) {
      fail = true;
      return SectionStream::kEnd;
    }
    return at == text.size() ? SectionStream::kEnd : static_cast<unsigned char>(text[at]);
  }
  std::string ReadLine() {
    std::string line;
    if (AnyFlag()) {
      fail = true;
    } else {
      while (line.size() < kLine && at < text.size() && text[at] != '\n') {
        line.push_back(text[at++]);
      }
      if (line.size() < kLine && at == text.size()) {
        end = true;
        fail = fail || line.empty();
      }
    }
    ReadChar();
    return line;
  }
};

TEST(SectionStreamText, TranslatesLineEndsAndEndOfText) {
  struct Case {
    const char* name;
    std::string bytes;
    std::string text;
  };
  const std::vector<Case> cases = {
      {"empty file", "", ""},
      {"LF kept", "a\nb\n", "a\nb\n"},
      {"CR LF reads as LF", "a\r\nb\r\n", "a\nb\n"},
      {"lone CR is ordinary", "a\rb\r", "a\rb\r"},
      {"CR CR LF", "a\r\r\nb", "a\r\nb"},
      {"LF CR", "a\n\rb", "a\n\rb"},
      {"0x1A ends the file", std::string("ab\x1A\ncd\n"), "ab"},
      {"0x1A after CR leaves a lone CR", std::string("a\r\x1A\n"), "a\r"},
      {"0x1A first", std::string("\x1A[HEADER]\n"), ""},
      {"NUL is a character", std::string("a\0b", 3), std::string("a\0b", 3)},
      {"high bytes", "\xC9t\xE9", "\xC9t\xE9"},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ReadAllFromFile(dir.Write("file.txt", c.bytes)), c.text);
  }
}

TEST(SectionStreamText, TranslatesAcrossBufferRefills) {
  const std::string fill(kBuffer - 1, 'a');
  struct Case {
    const char* name;
    std::string bytes;
  };
  const std::vector<Case> cases = {
      {"CR LF split by a refill", fill + "\r\nz"},
      {"lone CR last in the buffer", fill + "\rz"},
      {"CR last in the buffer, then 0x1A", fill + "\r\x1A\n"},
      {"CR last byte of the file", fill + "\r"},
      {"CR LF ending the first buffer", fill.substr(1) + "\r\nz"},
      {"0x1A first in the second buffer", fill + "b\x1A" + "after"},
      {"CR CR LF around the boundary", fill.substr(1) + "\r\r\nz"},
      {"CR LF across the second refill", std::string(2 * kBuffer - 1, 'b') + "\r\nz"},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ReadAllFromFile(dir.Write("file.txt", c.bytes)), Translate(c.bytes));
  }
}

TEST(SectionStreamText, PeekSeesCrLfSplitByRefillAsOneLineFeed) {
  TempDir dir;
  SectionStream stream;
  stream.Open(dir.Write("file.txt", std::string(kBuffer - 1, 'a') + "\r\nz").c_str());
  for (size_t i = 0; i + 1 < kBuffer; ++i) {
    ASSERT_EQ(stream.ReadChar(), 'a');
  }
  EXPECT_EQ(stream.Peek(), '\n');
  EXPECT_EQ(stream.Peek(), '\n');
  EXPECT_EQ(stream.ReadChar(), '\n');
  EXPECT_EQ(stream.ReadChar(), 'z');
  EXPECT_FALSE(stream.AtEnd());
}

TEST(SectionStreamText, MatchesModelOnRandomOperations) {
  // Long enough for several refills, with CR, LF and over-long lines at random places.
  std::mt19937 rng(20240611);
  const char alphabet[] = {'a', 'b', '[', ';', '\r', '\n', '\r', '\n'};
  std::string bytes;
  for (size_t i = 0; i < 3 * kBuffer + 17; ++i) {
    bytes.push_back(alphabet[rng() % sizeof(alphabet)]);
    if (rng() % 2000 == 0) {
      bytes.append(kLine + rng() % 8, 'x');
    }
  }
  TempDir dir;
  SectionStream stream;
  stream.Open(dir.Write("file.txt", bytes).c_str());
  ModelStream model{Translate(bytes)};
  for (size_t step = 0; !model.end; ++step) {
    SCOPED_TRACE(step);
    switch (rng() % 3) {
      case 0:
        ASSERT_EQ(stream.ReadChar(), model.ReadChar());
        break;
      case 1:
        ASSERT_EQ(stream.Peek(), model.Peek());
        break;
      default:
        ASSERT_EQ(ReadOneLine(stream), model.ReadLine());
        break;
    }
    ASSERT_EQ(stream.AtEnd(), model.end);
    ASSERT_EQ(stream.Failed(), model.fail);
  }
}

TEST(SectionStreamFlags, ReadCharAndPeekAtTheEnd) {
  TempDir dir;
  SectionStream stream;
  stream.Open(dir.Write("file.txt", "a").c_str());
  EXPECT_EQ(stream.Peek(), 'a');
  EXPECT_EQ(stream.ReadChar(), 'a');
  EXPECT_EQ(stream.Peek(), SectionStream::kEnd);
  EXPECT_FALSE(stream.AtEnd()) << "a peek at the end sets no flag";
  EXPECT_FALSE(stream.Failed());
  EXPECT_EQ(stream.ReadChar(), SectionStream::kEnd);
  EXPECT_TRUE(stream.AtEnd());
  EXPECT_TRUE(stream.Failed());
}

TEST(SectionStreamFlags, AnySetFlagMakesEveryReadFail) {
  TempDir dir;
  SectionStream stream;
  stream.Open(dir.Write("file.txt", "ab\ncd\n").c_str());
  stream.Open(dir.PathOf("missing.txt").c_str());
  ASSERT_TRUE(stream.Failed());
  EXPECT_FALSE(stream.AtEnd());
  EXPECT_EQ(stream.Peek(), SectionStream::kEnd);
  EXPECT_EQ(stream.ReadChar(), SectionStream::kEnd);
  EXPECT_EQ(ReadOneLine(stream), "");
  EXPECT_FALSE(stream.AtEnd());
  EXPECT_TRUE(stream.Failed());
}

TEST(SectionStreamLines, LinesAndTheirFlags) {
  struct Case {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines;  // read until the fail flag is set
    bool endAfterLast;
  };
  const std::string max(kLine, 'm');
  const std::string over = std::string(kLine, 'o') + 'L' + "[CELL]";  // 1030 characters
  const std::vector<Case> cases = {
      {"empty file", "", {""}, true},
      {"one line with LF", "abc\n", {"abc", ""}, true},
      {"last line without LF", "abc\ndef", {"abc", "def"}, true},
      {"blank lines", "\n\nx\n", {"", "", "x", ""}, true},
      {"CR LF lines", "ab\r\ncd\r\n", {"ab", "cd", ""}, true},
      {"lone CR inside a line", "a\rb\r\nc", {"a\rb", "c"}, true},
      {"0x1A ends the last line", std::string("ab\ncd\x1A") + "ef\n", {"ab", "cd"}, true},
      {"line of exactly 1023", max + "\nx\n", {max, "x", ""}, true},
      {"line of exactly 1023 at the end", max, {max}, true},
      {"line of 1024 loses its last", max + "Q\nx", {max, "", "x"}, true},
      {"line of 1030", over + "\n", {std::string(kLine, 'o'), "[CELL]", ""}, true},
      {"1030 with CR LF", over + "\r\n", {std::string(kLine, 'o'), "[CELL]", ""}, true},
      {"1023 then CR LF", max + "\r\nx", {max, "x"}, true},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SectionStream stream;
    stream.Open(dir.Write("file.txt", c.bytes).c_str());
    std::vector<std::string> lines;
    while (!stream.Failed() && lines.size() <= c.lines.size()) {
      lines.push_back(ReadOneLine(stream));
    }
    EXPECT_EQ(lines, c.lines);
    EXPECT_EQ(stream.AtEnd(), c.endAfterLast);
  }
}

TEST(SectionStreamLines, EmptyLineSetsNoFlagButTheEndDoes) {
  TempDir dir;
  SectionStream stream;
  stream.Open(dir.Write("file.txt", "\nx").c_str());
  EXPECT_EQ(ReadOneLine(stream), "");
  EXPECT_FALSE(stream.AtEnd());
  EXPECT_FALSE(stream.Failed());
  EXPECT_EQ(ReadOneLine(stream), "x");
  EXPECT_TRUE(stream.AtEnd());
  EXPECT_TRUE(stream.Failed()) << "the throw-away read after the last line fails";
}

TEST(SectionStreamLines, LineCrossingRefillIsWhole) {
  const std::string head(kBuffer - 10, 'h');
  const std::string line = "NAME=" + std::string(40, 'v');
  TempDir dir;
  SectionStream stream;
  stream.Open(dir.Write("file.txt", head + "\r\n" + line + "\r\n").c_str());
  for (size_t i = 0; i < head.size(); ++i) {
    ASSERT_EQ(stream.ReadChar(), 'h');
  }
  EXPECT_EQ(ReadOneLine(stream), "");
  EXPECT_EQ(ReadOneLine(stream), line);
  EXPECT_EQ(stream.Peek(), SectionStream::kEnd);
  EXPECT_FALSE(stream.AtEnd());
}

TEST(SectionStreamLines, NeverWritesPastTheLineBuffer) {
  TempDir dir;
  SectionStream stream;
  stream.Open(dir.Write("file.txt", std::string(3 * kLine, 'z')).c_str());
  // An exactly sized heap buffer: AddressSanitizer reports a write past its end.
  std::vector<char> line(kLine + 1);
  stream.ReadLine(line.data());
  EXPECT_EQ(std::string(line.data()).size(), kLine);
}

TEST(SectionStreamOpen, OpensOnlyReadableFiles) {
  TempDir dir;
  SectionStream stream;
  EXPECT_FALSE(stream.IsOpen());

  const std::string missing = dir.PathOf("missing.pkg");
  stream.Open(missing.c_str());
  EXPECT_FALSE(stream.IsOpen());
  EXPECT_TRUE(stream.Failed());
  EXPECT_FALSE(std::filesystem::exists(missing)) << "Open never creates a file";

  // A folder holds no text, a device or a system file may never end, a FIFO may never get a
  // writer, and no content needs more than the limit: none is read, and none makes Open wait.
  std::filesystem::create_directory(dir.path() / "folder");
  std::filesystem::create_symlink("/dev/zero", dir.path() / "endless.pkg");
  std::filesystem::create_symlink("/proc/self/pagemap", dir.path() / "pagemap.pkg");
  ASSERT_EQ(::mkfifo(dir.PathOf("pipe.pkg").c_str(), 0600), 0);
  dir.Write("larger.pkg", std::string(SectionStream::kMostBytes + 1, ';'));
  for (const char* name : {"folder", "endless.pkg", "pagemap.pkg", "pipe.pkg", "larger.pkg"}) {
    SectionStream notAFile;
    notAFile.Open(dir.PathOf(name).c_str());
    EXPECT_FALSE(notAFile.IsOpen()) << name;
    EXPECT_TRUE(notAFile.Failed()) << name;
  }
  SectionStream largest;
  largest.Open(dir.Write("largest.pkg", std::string(SectionStream::kMostBytes, ';')).c_str());
  EXPECT_TRUE(largest.IsOpen());

  SectionStream good;
  dir.Write("good.pkg", "x");
  good.Open(dir.PathOf("Good.PKG").c_str());
  EXPECT_TRUE(good.IsOpen()) << "found ignoring letter case";
  EXPECT_FALSE(good.Failed());
  EXPECT_EQ(ReadAll(good), "x");
}

TEST(SectionStreamOpen, UnreadableFileStaysClosed) {
  if (::geteuid() == 0) {
    GTEST_SKIP() << "permissions do not stop the superuser";
  }
  TempDir dir;
  const std::string path = dir.Write("locked.pkg", "x");
  ASSERT_EQ(::chmod(path.c_str(), 0), 0);
  SectionStream stream;
  stream.Open(path.c_str());
  EXPECT_FALSE(stream.IsOpen());
  EXPECT_TRUE(stream.Failed());
}

TEST(SectionStreamOpen, OpeningAgainReadsTheNewFile) {
  TempDir dir;
  SectionStream stream;
  stream.Open(dir.Write("first.pkg", "first").c_str());
  EXPECT_EQ(ReadAll(stream), "first");
  stream.Open(dir.Write("second.pkg", "second").c_str());
  EXPECT_FALSE(stream.Failed());
  EXPECT_EQ(ReadAll(stream), "second");
}

TEST(SectionStreamLifecycle, CloseClearsTheFlags) {
  TempDir dir;
  SectionStream stream;
  stream.Open(dir.Write("file.txt", "x").c_str());
  ReadAll(stream);
  ASSERT_TRUE(stream.AtEnd());
  stream.Close();
  EXPECT_FALSE(stream.IsOpen());
  EXPECT_FALSE(stream.AtEnd());
  EXPECT_FALSE(stream.Failed());

  stream.Close();
  EXPECT_TRUE(stream.Failed()) << "closing a closed stream fails";
}

TEST(SectionStreamLifecycle, RewindReadsFromTheStartAgain) {
  const std::string bytes = std::string(kBuffer + 5, 'r') + "\r\nend\x1A" + "hidden";
  TempDir dir;
  SectionStream stream;
  stream.Open(dir.Write("file.txt", bytes).c_str());
  const std::string first = ReadAll(stream);
  ASSERT_TRUE(stream.AtEnd());
  stream.Rewind();
  EXPECT_FALSE(stream.AtEnd());
  EXPECT_FALSE(stream.Failed());
  EXPECT_EQ(ReadAll(stream), first);
  EXPECT_EQ(first, Translate(bytes));

  stream.Rewind();
  for (int i = 0; i < 10; ++i) {
    stream.ReadChar();
  }
  stream.Rewind();
  EXPECT_EQ(ReadAll(stream), first) << "rewinding in the middle drops what was buffered";
}

TEST(SectionStreamLifecycle, RewindOfAClosedStreamFails) {
  SectionStream stream;
  stream.Rewind();
  EXPECT_TRUE(stream.Failed());
  EXPECT_FALSE(stream.AtEnd());
}

TEST(SectionStreamLifecycle, SeesChangesMadeByOthersAfterRewind) {
  TempDir dir;
  const std::string path = dir.Write("file.txt", "old");
  SectionStream stream;
  stream.Open(path.c_str());
  EXPECT_EQ(ReadAll(stream), "old");
  dir.Write("file.txt", "newer");
  stream.Rewind();
  EXPECT_EQ(ReadAll(stream), "newer");
}

TEST(SectionStreamLifecycle, AFileGrownPastTheLimitIsAReadError) {
  // What lies past the limit is never read: the bad flag is set, not the end.
  TempDir dir;
  const std::string path = dir.Write("growing.pkg", "x");
  SectionStream stream;
  stream.Open(path.c_str());
  std::filesystem::resize_file(path, 2 * SectionStream::kMostBytes);
  EXPECT_EQ(ReadAll(stream).size(), static_cast<size_t>(SectionStream::kMostBytes));
  EXPECT_FALSE(stream.AtEnd());
}

TEST(SectionStreamLifecycle, AStopRequestEndsEveryReadAsAReadError) {
  TempDir dir;
  const std::string path = dir.Write("file.pkg", "text");
  EXPECT_EXIT(
      {
        WatchStopSignals();
        std::raise(SIGTERM);
        SectionStream stream;
        stream.Open(path.c_str());
        const int c = stream.ReadChar();
        ::_exit(stream.IsOpen() && c == SectionStream::kEnd && !stream.AtEnd() ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(SectionStreamLifecycle, NeverOpenedStreamReadsAsEmpty) {
  SectionStream stream;
  EXPECT_EQ(stream.Peek(), SectionStream::kEnd);
  EXPECT_FALSE(stream.Failed());
  EXPECT_EQ(stream.ReadChar(), SectionStream::kEnd);
  EXPECT_TRUE(stream.AtEnd());
  EXPECT_TRUE(stream.Failed());
}

}  // namespace
