// SectionScanner: the header scan and body loop over a section file, and its matching rules.
#include "content/SectionScanner.h"

#include <climits>
#include <cstring>

#include "content/ContentReport.h"

namespace {

// Folds the 26 ASCII capitals only, whatever the locale says.
unsigned char FoldCase(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || (c >= 0x0A && c <= 0x0D); }

}  // namespace

SectionScanner::SectionScanner(SectionStream& stream) : stream_(stream) {
  header_[0] = '\0';
  text_[0] = '\0';
}

int SectionScanner::Scan(std::initializer_list<const char*> literals,
                         const SectionHandler& onSection) {
  bool sectionsMet = false;
  for (;;) {
    const int c = stream_.ReadChar();
    if (stream_.Failed()) {
      if (ContentReport* report = ContentReport::Active()) {
        report->ScanEnd(sectionsMet, stream_.TextAfterEndLine());
      }
      return 0;
    }
    if (c == ';') {
      ReadLine(text_);
      continue;
    }
    if (c != '[') {
      continue;
    }
    ReadLine(header_);
    sectionsMet = true;
    const bool closed = std::strchr(header_, ']') != nullptr;
    // Drops the closing bracket of a well-formed header, and whatever stands there otherwise.
    const size_t length = std::strlen(header_);
    if (length > 0) {
      header_[length - 1] = '\0';
    }
    size_t found = kNoKey;
    size_t index = 0;
    for (const char* literal : literals) {
      if (Matches(header_, literal)) {
        found = index;
        break;
      }
      ++index;
    }
    if (ContentReport* report = ContentReport::Active()) {
      report->Section(line_, header_, closed, {literals.begin(), literals.size()}, found);
    }
    if (found != kNoKey) {
      const int result = onSection(found, header_ + std::strlen(literals.begin()[found]));
      if (result != 0) {
        return result;
      }
    }
  }
}

int SectionScanner::Body(std::initializer_list<const char*> keys, const LineHandler& onLine) {
  // A failed stream without the end flag (a read error) would never reach the end: stop too.
  while (!stream_.AtEnd() && !stream_.Failed()) {
    if (stream_.Peek() == '[') {
      return 0;
    }
    ReadLine(text_);
    size_t found = kNoKey;
    const char* value = text_;
    size_t index = 0;
    for (const char* key : keys) {
      if (Matches(text_, key)) {
        found = index;
        value = text_ + std::strlen(key);
        break;
      }
      ++index;
    }
    if (ContentReport* report = ContentReport::Active()) {
      report->Line(line_, text_, {keys.begin(), keys.size()}, found);
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

std::string SectionScanner::NumberAsWritten(const char* key, const char* value) {
  const char* start = value;
  while (IsBlank(*start)) ++start;
  const char* end = start + (*start == '+' || *start == '-' ? 1 : 0);
  int64_t magnitude = 0;
  bool fits = true;
  for (; *end >= '0' && *end <= '9'; ++end) {
    magnitude = magnitude * 10 + (*end - '0');
    if (magnitude > int64_t{INT32_MAX} + 1) {
      fits = false;
      magnitude = 0;
    }
  }
  if (magnitude > INT32_MAX && *start != '-') fits = false;
  const std::string written = end > start ? std::string(start, end) : std::string(value);
  if (fits) return key + written;
  return key + written + ", which does not fit a number and is read as " +
         std::to_string(ReadNumber(value)) + ",";
}

void SectionScanner::ReadLine(char* into) {
  line_ = stream_.LineNumber();
  stream_.ReadLine(into);
  if (stream_.LineCut()) {
    if (ContentReport* report = ContentReport::Active()) report->LineCut(line_);
  }
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
