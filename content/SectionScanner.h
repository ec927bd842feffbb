// SectionScanner: the scan for section headers and the body loop over a section's lines,
// shared by every content reader; each reader configures it with its section literals and
// keys and acts on what it finds through callbacks. An active content report hears of every
// header and body line it meets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>

#include "content/SectionStream.h"

class SectionScanner {
 public:
  // Passed as the key index for a body line that matches none of the keys.
  static constexpr size_t kNoKey = static_cast<size_t>(-1);

  // Called for a recognised section with the index of the matching literal and the header
  // text that follows the literal's characters (where a section number stands).
  // Returns 0 to go on scanning, any other value to end the scan with that value.
  using SectionHandler = std::function<int(size_t literal, const char* rest)>;
  // Called for every body line: the index of the first matching key (or kNoKey) and the
  // value after the key. Returns 0 to go on, any other value to end the body with it.
  using LineHandler = std::function<int(size_t key, const char* value)>;

  explicit SectionScanner(SectionStream& stream);

  // Runs the scan from the stream's current position until the stream fails (returns 0)
  // or a section handler ends it (returns that handler's value).
  int Scan(std::initializer_list<const char*> literals, const SectionHandler& onSection);

  // Runs the body loop of the current section, unless the end flag is already set.
  // Returns 0 when the body is over, or the value a line handler ended it with.
  int Body(std::initializer_list<const char*> keys, const LineHandler& onLine);

  // Reads a signed 32-bit decimal the way section numbers and numeric values are read:
  // leading white space, an optional sign, digits; wraps around beyond the 32-bit range.
  static int32_t ReadNumber(const char* text);
  // `key` with the number of `value` as written, for a report; a number that does not fit
  // says so and what it is read as: "CELLS=99999999999, which does not fit a number and is
  // read as 1215752191,".
  static std::string NumberAsWritten(const char* key, const char* value);

  // Case-insensitive prefix test of the format: does `text` begin with `literal`?
  static bool Matches(const char* text, const char* literal);

  // The line where the last header or body line began, for readers that report on it later.
  int32_t LineNumber() const { return line_; }

 private:
  // Reads a line into `into`, noting where it began and telling an active report when the
  // line was cut at the line limit.
  void ReadLine(char* into);

  SectionStream& stream_;
  int32_t line_ = 0;
  // Header texts keep their own buffer so that a section handler's `rest` stays valid while
  // the handler runs the body loop.
  char header_[SectionStream::kLineLength + 1];
  char text_[SectionStream::kLineLength + 1];
};
