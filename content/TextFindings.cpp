// TextFindings: how a file's bytes were saved, and the likely intended name for a mistyped one.
#include "content/TextFindings.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "content/ContentFindings.h"
#include "content/SectionScanner.h"
#include "platform/ContentFile.h"

namespace {

using Names = ContentReport::Names;

// Bytes of a file looked at for how it was saved, and for NUL bytes in its lines.
constexpr size_t kBytesLookedAt = 1024 * 1024;
// Bytes whose NUL bytes tell UTF-16 and UTF-32 apart from text.
constexpr size_t kBytesWeighed = 4096;
constexpr const char* kSaveAsUtf8 = "save it as UTF-8 (or ASCII) without a byte-order mark";

std::string Quote(std::string_view text) { return ContentFindings::Quote(text); }

// The text the game reads: up to a byte 0x1A, which ends a file.
std::string_view ReadText(std::string_view bytes) { return bytes.substr(0, bytes.find('\x1A')); }

// Hands each line of the text the game reads, with its number, to `take` until it says to stop.
template <typename Take>
void EachLine(std::string_view bytes, Take take) {
  const std::string_view text = ReadText(bytes);
  int32_t line = 1;
  for (size_t start = 0; start < text.size(); ++line) {
    const size_t end = std::min(text.find('\n', start), text.size());
    if (take(line, text.substr(start, end - start))) return;
    start = end + 1;
  }
}

char Fold(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Edits (insertions, deletions, replacements) between two names, letter case ignored.
size_t Distance(std::string_view a, std::string_view b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t replaced = diagonal + (Fold(a[i - 1]) == Fold(b[j - 1]) ? 0 : 1);
      diagonal = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, replaced});
    }
  }
  return row[b.size()];
}

// The name `word` most likely stands for: the nearest one within a third of its length (at
// least one edit), compared without a key's '='; empty when none is that near.
std::string Closest(std::string_view word, Names names) {
  std::string best;
  size_t bestDistance = 0;
  for (const char* name : names) {
    std::string_view bare = name;
    if (!bare.empty() && bare.back() == '=') bare.remove_suffix(1);
    const size_t distance = Distance(word, bare);
    const size_t limit = std::max<size_t>(1, (bare.size() + 2) / 3);
    if (distance <= limit && (best.empty() || distance < bestDistance)) {
      best = name;
      bestDistance = distance;
    }
  }
  return best;
}

std::string List(Names names) {
  std::string list;
  for (const char* name : names) list += (list.empty() ? "" : ", ") + std::string(name);
  return list;
}

bool IsKey(std::string_view text, Names keys) {
  return std::any_of(keys.begin(), keys.end(), [text](const char* key) {
    return text.size() == std::strlen(key) && SectionScanner::Matches(text.data(), key);
  });
}

const char* KindName(ContentReport::Kind kind) {
  switch (kind) {
    case ContentReport::Kind::Definition:
      return "the game definition";
    case ContentReport::Kind::CharacterPackage:
      return "a character package";
    case ContentReport::Kind::CellPackage:
      return "a cell package";
  }
  return "";
}

}  // namespace

namespace TextFindings {

std::string FirstBytes(const std::string& path) {
  ContentFile content(path.c_str());
  if (!content.IsOpen()) return "";
  std::string bytes(static_cast<size_t>(std::min<off_t>(content.Size(), kBytesLookedAt)), '\0');
  size_t taken = 0;
  while (taken < bytes.size()) {
    const ssize_t got = content.Read(bytes.data() + taken, bytes.size() - taken);
    if (got <= 0) break;
    taken += static_cast<size_t>(got);
  }
  bytes.resize(taken);
  return bytes;
}

std::string HowSaved(std::string_view bytes) {
  const auto starts = [bytes](std::string_view mark) { return bytes.starts_with(mark); };
  const std::string unread = ": the game reads none of its lines as written; ";
  if (starts(std::string_view("\xFF\xFE\0\0", 4)) || starts(std::string_view("\0\0\xFE\xFF", 4))) {
    return std::string("the file is saved as UTF-32 (it begins with a byte-order mark)") + unread +
           kSaveAsUtf8;
  }
  if (starts("\xFF\xFE") || starts("\xFE\xFF")) {
    return std::string("the file is saved as UTF-16 (it begins with a byte-order mark)") + unread +
           kSaveAsUtf8;
  }
  const std::string_view weighed = bytes.substr(0, kBytesWeighed);
  // NUL bytes by their place in each group of four.
  size_t nuls[4] = {};
  size_t controls = 0;
  for (size_t i = 0; i < weighed.size(); ++i) {
    const auto byte = static_cast<unsigned char>(weighed[i]);
    if (byte == 0) ++nuls[i % 4];
    if ((byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r' && byte != 0x1A) ||
        byte == 0x7F) {
      ++controls;
    }
  }
  const size_t quarter = weighed.size() / 4;
  const auto mostly = [quarter](size_t count) { return quarter > 0 && count * 10 >= quarter * 9; };
  const auto few = [quarter](size_t count) { return count * 10 <= quarter; };
  if ((mostly(nuls[1]) && mostly(nuls[2]) && mostly(nuls[3]) && few(nuls[0])) ||
      (mostly(nuls[0]) && mostly(nuls[1]) && mostly(nuls[2]) && few(nuls[3]))) {
    return "the file is saved as UTF-32" + unread + kSaveAsUtf8;
  }
  if ((mostly(nuls[1]) && mostly(nuls[3]) && few(nuls[0]) && few(nuls[2])) ||
      (mostly(nuls[0]) && mostly(nuls[2]) && few(nuls[1]) && few(nuls[3]))) {
    return "the file is saved as UTF-16" + unread + kSaveAsUtf8;
  }
  // Text holds a stray control byte at most; a picture or a program holds them everywhere.
  if (controls * 20 > weighed.size()) {
    return "the file is not text (it holds many control bytes): a content file is "
           "a text file of sections and KEY=value lines";
  }
  const std::string_view text = ReadText(bytes);
  if (text.find('\r') != std::string_view::npos && text.find('\n') == std::string_view::npos) {
    return "the lines end in CR alone (as saved on classic Mac OS): the game reads the whole "
           "file as one line; save it with LF or CR LF line ends";
  }
  return "";
}

std::vector<LineFinding> NulBytes(std::string_view bytes) {
  std::vector<LineFinding> findings;
  EachLine(bytes, [&findings](int32_t line, std::string_view text) {
    const size_t nul = text.find('\0');
    if (nul != std::string_view::npos) {
      findings.push_back({line, "the line holds a NUL byte, and is read only up to it: as " +
                                    Quote(text.substr(0, nul))});
    }
    return false;
  });
  return findings;
}

LineFinding FirstLineWithKey(std::string_view bytes, const char* key) {
  LineFinding found;
  EachLine(bytes, [&found, key](int32_t line, std::string_view text) {
    if (text.ends_with('\r')) text.remove_suffix(1);
    if (!SectionScanner::Matches(std::string(text).c_str(), key)) return false;
    found = {line, std::string(text)};
    return true;
  });
  return found;
}

std::string UnknownLine(std::string_view text, Names keys) {
  const size_t start = text.find_first_not_of(" \t\r");
  if (start == std::string_view::npos || text[start] == ';') return "";
  const std::string_view line = text.substr(start);
  const size_t equals = line.find('=');
  if (start > 0 && line.front() == '[') {
    return "indented section header " + Quote(line) +
           " opens no section: it is an ignored line of the section above";
  }
  if (start > 0 && equals != std::string_view::npos && IsKey(line.substr(0, equals + 1), keys)) {
    return "indented key " + Quote(line.substr(0, equals + 1)) +
           " is ignored: keys begin in the first column";
  }
  // The word that was meant as a key: up to the '=', or up to the first space without one.
  std::string_view word =
      line.substr(0, equals != std::string_view::npos ? equals : line.find_first_of(" \t"));
  const size_t end = word.find_last_not_of(" \t");
  const std::string_view trimmed = word.substr(0, end == std::string_view::npos ? 0 : end + 1);
  if (equals != std::string_view::npos && trimmed.size() < word.size() &&
      IsKey(std::string(trimmed) + "=", keys)) {
    return Quote(line.substr(0, equals + 1)) + " is not the key '" + std::string(trimmed) +
           "=': no space may stand before the '='";
  }
  const std::string likely = Closest(trimmed, keys);
  const std::string shown =
      Quote(equals != std::string_view::npos ? line.substr(0, equals + 1) : line);
  const std::string what = (equals != std::string_view::npos ? "unknown key " : "line ") + shown;
  if (!likely.empty()) return what + " is ignored; did you mean '" + likely + "'?";
  return what + " is ignored (keys here: " + List(keys) + ")";
}

std::string UnknownSection(std::string_view name, Names literals, ContentReport::Kind kind) {
  size_t letters = 0;
  while (letters < name.size() && std::isalpha(static_cast<unsigned char>(name[letters]))) {
    ++letters;
  }
  const std::string likely = Closest(name.substr(0, letters), literals);
  if (!likely.empty()) {
    return "unknown section " + Quote(name) + " is skipped; did you mean '" + likely + "'?";
  }
  return "unknown section " + Quote(name) + " is skipped (sections of " + KindName(kind) + ": " +
         List(literals) + ")";
}

}  // namespace TextFindings
