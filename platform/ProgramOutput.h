// ProgramOutput: the lines the program writes for a person to read. Each line on standard error
// begins with the program's one prefix. In every line, on standard error and in the check's
// report alike, a byte that a terminal would act on instead of showing it is written as an
// escape such as \x1b, so that a name taken from a game folder cannot clear, retitle or
// otherwise drive the terminal of whoever reads it. Message boxes show their text as given.
#pragma once

#include <string>
#include <string_view>

constexpr const char* kProgramPrefix = "Tarnwick: ";

// `text` with every control byte (below 0x20, 0x7F, and the C1 controls U+0080 to U+009F), and
// every byte that is not part of valid UTF-8, written as \xNN; everything else as it is.
std::string Printable(std::string_view text);

// The line `text` makes on standard error, with the prefix and its line end; WriteErrorLine
// writes it there at once, or drops it when standard error cannot take it without waiting
// (platform/ErrorStream). A text of several lines gives one prefixed line for each.
std::string ErrorLine(std::string_view text);
void WriteErrorLine(std::string_view text);

// SDL and GLib (under GTK) write their own messages to standard error; from this call on they
// go through WriteErrorLine, SDL's debug and GLib's debug and info messages nowhere.
void RouteLibraryMessages();
