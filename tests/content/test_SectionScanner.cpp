// Tests of SectionScanner: the header scan, the body loop, prefix matching and number reading.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "content/SectionScanner.h"
#include "content/SectionStream.h"
#include "content/TempDir.h"

namespace {

using Events = std::vector<std::string>;

std::string KeyName(size_t key) {
  return key == SectionScanner::kNoKey ? "-" : std::to_string(key);
}

// Scans `path` for HEADER and CELL sections with the keys NAME=, CELLS= and STILL=, and
// records what the handlers see: "[literal|rest]" per section, "key:value" per body line
// ("-:line" for a line without a key).
Events Transcript(const std::string& path) {
  SectionStream stream;
  stream.Open(path.c_str());
  EXPECT_TRUE(stream.IsOpen());
  SectionScanner scanner(stream);
  Events events;
  const int result = scanner.Scan({"HEADER", "CELL"}, [&](size_t literal, const char* rest) {
    events.push_back(std::string("[").append(std::to_string(literal)).append("|").append(rest) +
                     "]");
    return scanner.Body({"NAME=", "CELLS=", "STILL="}, [&](size_t key, const char* value) {
      events.push_back(KeyName(key) + ":" + value);
      return events.size() > 100 ? 1 : 0;  // a runaway loop fails the test instead of hanging
    });
  });
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(stream.Failed()) << "the scan ends only on a failed stream";
  return events;
}

struct ScanCase {
  const char* name;
  std::string text;
  Events events;
};

void ExpectTranscripts(const std::vector<ScanCase>& cases) {
  TempDir dir;
  for (const ScanCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Transcript(dir.Write("file.pkg", c.text)), c.events);
  }
}

TEST(SectionScannerScan, LineEndsAndEndOfText) {
  const std::string text = "; game\n[HEADER]\nNAME=Morrels\nCELLS=3\n\n[CELL 1]\nSTILL=a.bmp\n";
  const Events events = {"[0|]", "0:Morrels", "1:3", "-:", "[1| 1]", "2:a.bmp", "-:"};
  std::string crlf;
  for (char c : text) {
    crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  }
  ExpectTranscripts({
      {"LF line ends", text, events},
      {"CR LF line ends read the same", crlf, events},
      {"lone CR makes one line", "[HEADER]\rNAME=x\rCELLS=2\r", {"[0|]\rNAME=x\rCELLS=2]"}},
      {"0x1A ends the file",
       std::string("[HEADER]\nNAME=a\n\x1A") + "NAME=b\n[CELL 2]\n",
       {"[0|]", "0:a", "-:"}},
  });
}

TEST(SectionScannerScan, SectionNames) {
  ExpectTranscripts({
      {"capitals", "[HEADER]\n", {"[0|]", "-:"}},
      {"small letters", "[header]\n", {"[0|]", "-:"}},
      {"mixed case", "[Header]\n", {"[0|]", "-:"}},
      {"longer name", "[HEADERS]\n", {"[0|S]", "-:"}},
      {"comment after the header", "[HEADER] ; note\n", {"[0|] ; not]", "-:"}},
      {"missing bracket loses a letter", "[HEADER\nNAME=x\n", {}},
      {"missing bracket on a number", "[CELL 12\n", {"[1| 1]", "-:"}},
      {"shorter than the literal", "[CEL]\nNAME=x\n", {}},
      {"name equal to the literal", "[CELL]\n", {"[1|]", "-:"}},
      {"empty header", "[\nNAME=x\n[HEADER]\n", {"[0|]", "-:"}},
      {"lone bracket at the end", "[", {}},
      {"unknown section skipped", "[OTHER]\nNAME=x\n[CELL 2]\nNAME=y\n", {"[1| 2]", "0:y", "-:"}},
      {"indented header outside a body", "  \t[HEADER]\nNAME=x\n", {"[0|]", "0:x", "-:"}},
      {"stray bracket and text ignored", "]junk\n  text\n[CELL 4]", {"[1| 4]"}},
  });
}

TEST(SectionScannerScan, CommentsAndBracketsOutsideBodies) {
  ExpectTranscripts({
      {"semicolon discards the rest", "X=a;b[HEADER]\nNAME=x\n", {}},
      {"bracket inside a line opens a header", "X=a[b]\nNAME=x\n", {}},
      {"bracket inside a line opens a known header",
       "X=a[HEADER]\nNAME=y\n",
       {"[0|]", "0:y", "-:"}},
      {"comment line", "; [HEADER]\n[CELL 1]\n", {"[1| 1]", "-:"}},
  });
}

TEST(SectionScannerBody, KeysAndValues) {
  ExpectTranscripts({
      {"key in small letters", "[HEADER]\nname=x\n", {"[0|]", "0:x", "-:"}},
      {"spaces around the equals sign", "[HEADER]\nNAME = x\n", {"[0|]", "-:NAME = x", "-:"}},
      {"indented key", "[HEADER]\n NAME=x\n", {"[0|]", "-: NAME=x", "-:"}},
      {"trailing space kept", "[HEADER]\nSTILL=images/a.bmp \n", {"[0|]", "2:images/a.bmp ", "-:"}},
      {"leading space kept", "[HEADER]\nCELLS= 3\n", {"[0|]", "1: 3", "-:"}},
      {"empty value", "[HEADER]\nNAME=\n", {"[0|]", "0:", "-:"}},
      {"longer key matches by prefix", "[HEADER]\nNAME=a=b\n", {"[0|]", "0:a=b", "-:"}},
      {"blank and comment lines stay in the body",
       "[HEADER]\nNAME=a\n\n; note\n\tx\nCELLS=2\n",
       {"[0|]", "0:a", "-:", "-:; note", "-:\tx", "1:2", "-:"}},
      {"indented header inside a body",
       "[HEADER]\nNAME=a\n  [CELL 2]\nNAME=b\n",
       {"[0|]", "0:a", "-:  [CELL 2]", "0:b", "-:"}},
      {"header ends the body",
       "[HEADER]\nNAME=a\n[CELL 2]\nNAME=b\n",
       {"[0|]", "0:a", "[1| 2]", "0:b", "-:"}},
      {"semicolon inside a value", "[HEADER]\nNAME=a;b\n", {"[0|]", "0:a;b", "-:"}},
      {"last line without line end", "[HEADER]\nNAME=x", {"[0|]", "0:x"}},
      {"header without line end has no body", "[HEADER]", {"[0|]"}},
      {"empty bodies", "[HEADER]\n[CELL 1]\n", {"[0|]", "[1| 1]", "-:"}},
      {"empty file", "", {}},
      {"no known section", "NAME=x\n[OTHER]\nNAME=y\n", {}},
  });
}

TEST(SectionScannerBody, OverLongLines) {
  const std::string value(SectionStream::kLineLength - 5, 'v');
  const std::string line = "NAME=" + value + "L";  // 1024 characters: the L is lost
  ExpectTranscripts({
      {"remainder is a header",
       "[HEADER]\n" + line + "[CELL]\nNAME=x\n",
       {"[0|]", "0:" + value, "[1|]", "0:x", "-:"}},
      {"remainder is a key", "[HEADER]\n" + line + "CELLS=\n", {"[0|]", "0:" + value, "1:", "-:"}},
      {"over-long comment outside a body",
       std::string(";").append(1023, 'c') + "L[HEADER]\n",
       {"[0|]", "-:"}},
      {"over-long header keeps 1022",
       "[CELL" + std::string(1030, '7') + "]\n",
       {"[1|" + std::string(1018, '7') + "]", "-:" + std::string(10, '7') + "]", "-:"}},
  });
}

TEST(SectionScannerHandlers, NonZeroResultsStop) {
  TempDir dir;
  const std::string path =
      dir.Write("file.pkg", "[CELL 1]\nNAME=a\nNAME=stop\nNAME=c\n[CELL 2]\n[CELL 3]\n");
  SectionStream stream;
  stream.Open(path.c_str());
  SectionScanner scanner(stream);
  std::vector<int32_t> numbers;
  Events lines;
  const int result = scanner.Scan({"CELL"}, [&](size_t, const char* rest) {
    numbers.push_back(SectionScanner::ReadNumber(rest));
    const int body = scanner.Body({"NAME="}, [&](size_t, const char* value) {
      lines.push_back(value);
      return std::string(value) == "stop" ? 9 : 0;
    });
    if (body == 9) {
      // The body stopped right after the line; a second loop carries on from there.
      EXPECT_EQ(scanner.Body({"NAME="},
                             [&](size_t, const char* value) {
                               lines.push_back(value);
                               return 0;
                             }),
                0);
      return 0;
    }
    return SectionScanner::ReadNumber(rest) == 2 ? -12 : 0;
  });
  EXPECT_EQ(result, -12);
  EXPECT_EQ(numbers, (std::vector<int32_t>{1, 2}));
  EXPECT_EQ(lines, (Events{"a", "stop", "c"}));
  EXPECT_FALSE(stream.Failed()) << "the scan stopped before the end";
}

TEST(SectionScannerHandlers, FirstMatchingLiteralAndKeyWin) {
  TempDir dir;
  SectionStream stream;
  stream.Open(dir.Write("file.pkg", "[CELLS 2]\nCELLS=4\nCELL=5\n").c_str());
  SectionScanner scanner(stream);
  Events events;
  scanner.Scan({"CELL", "CELLS"}, [&](size_t literal, const char* rest) {
    events.push_back(std::to_string(literal) + rest);
    return scanner.Body({"CELL", "CELLS="}, [&](size_t key, const char* value) {
      events.push_back(KeyName(key) + value);
      return 0;
    });
  });
  EXPECT_EQ(events, (Events{"0S 2", "0S=4", "0=5", "-"}));
}

TEST(SectionScannerHandlers, RestSurvivesTheBodyLoop) {
  TempDir dir;
  SectionStream stream;
  stream.Open(
      dir.Write("file.pkg", "[CELL 5]\nNAME=a long line that could overwrite it\n").c_str());
  SectionScanner scanner(stream);
  scanner.Scan({"CELL"}, [&](size_t, const char* rest) {
    scanner.Body({"NAME="}, [](size_t, const char*) { return 0; });
    EXPECT_STREQ(rest, " 5");
    return 0;
  });
}

TEST(SectionScannerHandlers, BodyDoesNothingAtTheEnd) {
  TempDir dir;
  SectionStream stream;
  stream.Open(dir.Write("file.pkg", "x").c_str());
  stream.ReadLine(std::vector<char>(SectionStream::kLineLength + 1).data());
  ASSERT_TRUE(stream.AtEnd());
  SectionScanner scanner(stream);
  int calls = 0;
  EXPECT_EQ(scanner.Body({"NAME="},
                         [&](size_t, const char*) {
                           ++calls;
                           return 1;
                         }),
            0);
  EXPECT_EQ(calls, 0);
}

TEST(SectionScannerHandlers, ScanOfAFailedStreamEndsAtOnce) {
  SectionStream stream;
  stream.Open("/nonexistent/tarnwick.pkg");
  SectionScanner scanner(stream);
  int calls = 0;
  EXPECT_EQ(scanner.Scan({""},
                         [&](size_t, const char*) {
                           ++calls;
                           return 1;
                         }),
            0);
  EXPECT_EQ(calls, 0);
}

TEST(SectionScannerHandlers, BodyEndsOnAReadError) {
  // A read error sets the bad flag but not the end flag; the body loop must still stop.
  SectionStream stream;
  stream.Open("/proc/self/mem");
  if (!stream.IsOpen()) {
    GTEST_SKIP() << "/proc/self/mem cannot be opened here";
  }
  SectionScanner scanner(stream);
  // A handler that gives up after a few lines turns an endless loop into a failure.
  int calls = 0;
  EXPECT_EQ(scanner.Body({"NAME="}, [&](size_t, const char*) { return ++calls > 5 ? 1 : 0; }), 0);
  EXPECT_LE(calls, 1);
  EXPECT_TRUE(stream.Failed());
}

TEST(SectionScannerMatching, PrefixWithoutLetterCase) {
  struct Case {
    const char* text;
    const char* literal;
    bool matches;
  };
  const Case cases[] = {
      {"CELL 3", "CELL", true},
      {"cell3", "CELL", true},
      {"CELLS", "CELL", true},
      {"CeLl", "cElL", true},
      {"CEL", "CELL", false},
      {"", "CELL", false},
      {"anything", "", true},
      {"Button_Up=a.bmp", "BUTTON_UP=", true},
      {"BUTTON-UP=a.bmp", "Button_Up=", false},
      {"IDLE PACKAGES=2", "IDLE PACKAGES=", true},
      {"IDLE  PACKAGES=2", "IDLE PACKAGES=", false},
      {"@", "`", false},        // 0x40 and 0x60 differ by the case bit but are not letters
      {"[", "{", false},        // likewise 0x5B and 0x7B
      {"\xC9", "\xE9", false},  // no folding beyond ASCII
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SectionScanner::Matches(c.text, c.literal), c.matches)
        << "'" << c.text << "' against '" << c.literal << "'";
  }
}

TEST(SectionScannerNumbers, ReadsSigned32BitDecimals) {
  struct Case {
    const char* text;
    int32_t value;
  };
  const Case cases[] = {
      {"3", 3},
      {" 3", 3},
      {"  3 ", 3},
      {" \t\n\v\f\r42", 42},
      {"", 0},
      {"x", 0},
      {" x 5", 0},
      {"-1", -1},
      {"+7", 7},
      {"- 3", 0},
      {"--1", 0},
      {"+", 0},
      {"3 cells", 3},
      {"12abc", 12},
      {"007", 7},
      {"2147483647", INT32_MAX},
      {"2147483648", INT32_MIN},
      {"-2147483648", INT32_MIN},
      {"4294967295", -1},
      {"4294967296", 0},
      {"4294967297", 1},
      {"-4294967297", -1},
      {"99999999999999999999", 1661992959},  // 10^20 - 1 modulo 2^32
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SectionScanner::ReadNumber(c.text), c.value) << "'" << c.text << "'";
  }
}

TEST(SectionScannerNumbers, SectionNumbers) {
  struct Case {
    std::string header;
    int32_t number;
  };
  const std::vector<Case> cases = {
      {"[CELL 3]", 3},   {"[CELL3]", 3},  {"[cell  3 ]", 3}, {"[CELL]", 0},    {"[CELL x]", 0},
      {"[CELL -1]", -1}, {"[CELL 12", 1}, {"[CELL\t5]", 5},  {"[CELLS 2]", 0}, {"[CELL 2 3]", 2},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SectionStream stream;
    stream.Open(dir.Write("file.pkg", c.header + "\n").c_str());
    SectionScanner scanner(stream);
    std::vector<int32_t> numbers;
    scanner.Scan({"CELL"}, [&](size_t, const char* rest) {
      numbers.push_back(SectionScanner::ReadNumber(rest));
      return 0;
    });
    EXPECT_EQ(numbers, std::vector<int32_t>{c.number}) << c.header;
  }
}

}  // namespace
