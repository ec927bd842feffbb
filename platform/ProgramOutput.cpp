// ProgramOutput: escaping for terminals, and the one writer of standard error.
#include "platform/ProgramOutput.h"

#include <SDL.h>
#include <glib.h>
#include <unistd.h>

#include <cstdint>
#include <mutex>

#include "platform/ErrorStream.h"

namespace {

void Escape(std::string& out, uint8_t byte) {
  constexpr char kDigits[] = "0123456789abcdef";
  out += "\\x";
  out += kDigits[byte >> 4];
  out += kDigits[byte & 0xF];
}

// The length of the valid UTF-8 sequence of a printable character at `text[at]` (a byte of
// 0x80 or more), or 0.
size_t PrintableSequence(std::string_view text, size_t at) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[at + i]); };
  const uint8_t lead = byte(0);
  size_t length = 0;
  uint32_t point = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    point = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    point = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    point = lead & 0x07;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    point = point << 6 | (byte(i) & 0x3F);
  }
  // Overlong forms, surrogates and points past Unicode are not valid; C1 controls not printable.
  const uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
  if (point < least[length] || (point >= 0xD800 && point <= 0xDFFF) || point > 0x10FFFF ||
      point <= 0x9F) {
    return 0;
  }
  return length;
}

void WriteSdlMessage(void*, int, SDL_LogPriority priority, const char* message) {
  if (priority > SDL_LOG_PRIORITY_DEBUG) WriteErrorLine(message);
}

GLogWriterOutput WriteGlibMessage(GLogLevelFlags level, const GLogField* fields, gsize count,
                                  gpointer) {
  if (level & (G_LOG_LEVEL_DEBUG | G_LOG_LEVEL_INFO)) return G_LOG_WRITER_HANDLED;
  std::string domain;
  std::string message;
  for (gsize i = 0; i < count; ++i) {
    const std::string_view key = fields[i].key;
    if (fields[i].length >= 0) continue;
    if (key == "GLIB_DOMAIN") domain = static_cast<const char*>(fields[i].value);
    if (key == "MESSAGE") message = static_cast<const char*>(fields[i].value);
  }
  WriteErrorLine(domain.empty() ? message : domain + ": " + message);
  return G_LOG_WRITER_HANDLED;
}

}  // namespace

std::string Printable(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    const auto byte = static_cast<uint8_t>(text[at]);
    if (byte >= 0x20 && byte < 0x7F) {
      out += text[at++];
    } else if (const size_t length = byte >= 0x80 ? PrintableSequence(text, at) : 0) {
      out.append(text.substr(at, length));
      at += length;
    } else {
      Escape(out, byte);
      ++at;
    }
  }
  return out;
}

std::string ErrorLine(std::string_view text) {
  std::string lines;
  for (size_t start = 0;;) {
    const size_t end = text.find('\n', start);
    lines += kProgramPrefix + Printable(text.substr(start, end - start)) + "\n";
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return lines;
}

void WriteErrorLine(std::string_view text) {
  // SDL and GLib write from threads of their own. The stream is never destroyed, so that a
  // line written while the process ends still finds it.
  static std::mutex& writing = *new std::mutex;
  static ErrorStream& stream = *new ErrorStream(STDERR_FILENO);
  const std::string lines = ErrorLine(text);
  const std::lock_guard held(writing);
  stream.Write(lines);
}

void RouteLibraryMessages() {
  SDL_LogSetOutputFunction(WriteSdlMessage, nullptr);
  g_log_set_writer_func(WriteGlibMessage, nullptr, nullptr);
}
