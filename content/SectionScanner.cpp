// SectionScanner: the header scan and body loop over a section file, and its matching rules.
#include "content/SectionScanner.h"

#include <cstring>

namespace {

// Folds the 26 ASCII capitals only, whatever the locale says.
unsigned char FoldCase(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || (c >= 0x0A && c <= 0x0D); }

}  // namespace

SectionScanner::SectionScanner(SectionStream& stream) : stream_(stream) {
  header_[0] = '\0';
  line_[0] = '\0';
}

int SectionScanner::Scan(std::initializer_list<const char*> literals,
                         const SectionHandler& onSection) {
  for (;;) {
    const int c = stream_.ReadChar();
    if (stream_.Failed()) {
      return 0;
    }
    if (c == ';') {
      stream_.ReadLine(line_);
      continue;
    }
    if (c != '[') {
      continue;
    }
    stream_.ReadLine(header_);
    // Drops the closing bracket of a well-formed header, and whatever stands there otherwise.
    const size_t length = std::strlen(header_);
    if (length > 0) {
      header_[length - 1] = '\0';
    }
    size_t index = 0;
    for (const char* literal : literals) {
      if (Matches(header_, literal)) {
        const int result = onSection(index, header_ + std::strlen(literal));
        if (result != 0) {
          return result;
        }
        break;
      }
      ++index;
    }
  }
}

int SectionScanner::Body(std::initializer_list<const char*> keys, const LineHandler& onLine) {
  // A failed stream without the end flag (a read error) would never reach the end: stop too.
  while (!stream_.AtEnd() && !stream_.Failed()) {
    if (stream_.Peek() == '[') {
      return 0;
    }
    stream_.ReadLine(line_);
    size_t found = kNoKey;
    const char* value = line_;
    size_t index = 0;
    for (const char* key : keys) {
      if (Matches(line_, key)) {
        found = index;
        value = line_ + std::strlen(key);
        break;
      }
      ++index;
    }
    const int result = onLine(found, value);
    if (result != 0) {
      return result;
    }
  }
  return 0;
}

int32_t SectionScanner::ReadNumber(const char* text) {
  while (IsBlank(*text)) {
    ++text;
  }
  bool negative = false;
  if (*text == '+' || *text == '-') {
    negative = *text == '-';
    ++text;
  }
  // Unsigned arithmetic wraps around by definition, which is the wanted result past 32 bits.
  uint32_t value = 0;
  while (*text >= '0' && *text <= '9') {
    value = value * 10u + static_cast<uint32_t>(*text - '0');
    ++text;
  }
  if (negative) {
    value = 0u - value;
  }
  return static_cast<int32_t>(value);
}

bool SectionScanner::Matches(const char* text, const char* literal) {
  for (; *literal != '\0'; ++text, ++literal) {
    if (FoldCase(static_cast<unsigned char>(*text)) !=
        FoldCase(static_cast<unsigned char>(*literal))) {
      return false;
    }
  }
  return true;
}
