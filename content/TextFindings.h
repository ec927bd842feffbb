// TextFindings: what a content file's text says beside what the readers make of it: bytes the
// game cannot read as text, and lines and section headers that match no name, with the name
// most likely meant. Each finding is worded here and written by ContentFindings.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "content/ContentReport.h"

namespace TextFindings {

// A finding about one line of a file.
struct LineFinding {
  int32_t line = 0;
  std::string text;
};

// The bytes of the file at `path` that are looked at for how it was saved (its first MiB;
// none when it cannot be opened).
std::string FirstBytes(const std::string& path);
// Why the bytes cannot be read as the text they hold (another encoding, or no text at all):
// one finding about the whole file, or empty.
std::string HowSaved(std::string_view bytes);
// The lines that hold a NUL byte, which the game reads only up to it.
std::vector<LineFinding> NulBytes(std::string_view bytes);
// The first line that begins with `key`, letter case ignored, as written (line 0 for none).
LineFinding FirstLineWithKey(std::string_view bytes, const char* key);

// Why a body line that matches none of `keys` is ignored, and what was likely meant; empty for
// a blank line or a comment.
std::string UnknownLine(std::string_view text, ContentReport::Names keys);
// Why a section header that matches none of `literals` is skipped, in a file of `kind`.
std::string UnknownSection(std::string_view name, ContentReport::Names literals,
                           ContentReport::Kind kind);

}  // namespace TextFindings
