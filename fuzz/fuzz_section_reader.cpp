// Fuzz target of the section reading core: any bytes, written to a real file, read through the
// stream and scanned with the literal and key sets of the content readers.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "content/SectionScanner.h"
#include "content/SectionStream.h"
#include "fuzz/ScratchFile.h"

namespace {

void Check(bool condition) {
  if (!condition) {
    __builtin_trap();
  }
}

// The text the stream must deliver: CR LF read as LF, nothing after the first 0x1A.
std::string Translate(const uint8_t* data, size_t size) {
  std::string text;
  for (size_t i = 0; i < size && data[i] != 0x1A; ++i) {
    if (data[i] == '\r' && i + 1 < size && data[i + 1] == '\n') {
      continue;
    }
    text.push_back(static_cast<char>(data[i]));
  }
  return text;
}

// Everything the handlers of one scan see, in order; a section numbered 7 ends the scan.
std::string Transcript(SectionScanner& scanner, std::initializer_list<const char*> literals,
                       std::initializer_list<const char*> keys) {
  std::string seen;
  const int result = scanner.Scan(literals, [&](size_t literal, const char* rest) {
    Check(std::strlen(rest) < SectionStream::kLineLength);
    seen.append("[").append(std::to_string(literal)).append(rest).append("\n");
    if (SectionScanner::ReadNumber(rest) == 7) {
      return 7;
    }
    return scanner.Body(keys, [&](size_t key, const char* value) {
      Check(key == SectionScanner::kNoKey || key < keys.size());
      Check(std::strlen(value) <= SectionStream::kLineLength);
      seen.append(std::to_string(key)).append("=").append(value).append("\n");
      return 0;
    });
  });
  Check(result == 0 || result == 7);
  return seen + std::to_string(result);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static ScratchFile scratch;
  const char* path = scratch.Write(data, size);

  SectionStream stream;
  stream.Open(path);
  Check(stream.IsOpen() && !stream.Failed());

  // Character by character, the stream delivers exactly the translated text.
  const std::string expected = Translate(data, size);
  std::string delivered;
  for (int c = stream.ReadChar(); !stream.Failed(); c = stream.ReadChar()) {
    delivered.push_back(static_cast<char>(c));
  }
  Check(delivered == expected && stream.AtEnd());

  // The game definition file's and the character package's sets, scanned twice over a rewind
  // as the game definition file does: both scans must see the same.
  SectionScanner scanner(stream);
  stream.Rewind();
  const std::string first = Transcript(scanner, {"HEADER", "CHARACTER"},
                                       {"CELLS=", "Button_Up=", "Button_Down=", "Package="});
  stream.Rewind();
  const std::string second = Transcript(scanner, {"HEADER", "CHARACTER"},
                                        {"CELLS=", "Button_Up=", "Button_Down=", "Package="});
  Check(first == second);

  // The cell package's set, after a rewind.
  stream.Rewind();
  Transcript(scanner, {"CELL", "IDLE", "DIE", "ATTACK"},
             {"STILL=", "IDLE PACKAGES=", "DIE PACKAGES=", "ATTACK PACKAGES=", ""});
  stream.Close();
  Check(!stream.IsOpen() && !stream.Failed());
  return 0;
}
