// ContentFindings: the readers' events turned into findings, with the likely intended name for
// a mistyped one.
#include "content/ContentFindings.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <ostream>
#include <string_view>
#include <utility>

#include "content/DefinitionFile.h"
#include "content/SectionScanner.h"
#include "display/DisplayDevice.h"
#include "platform/ContentFile.h"
#include "platform/WaveFile.h"

namespace {

constexpr const char* kSeverityNames[] = {"error", "warning", "note"};
// Texts quoted in a finding are cut to this many characters.
constexpr size_t kQuoteLength = 60;

// The sizes the play screen draws pictures at; a still picture's height is free.
constexpr int32_t kBackgroundSide = 432;
constexpr int32_t kButtonWidth = 150;
constexpr int32_t kButtonHeight = 40;
constexpr int32_t kStillWidth = 41;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

char Fold(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string Quote(std::string_view text) {
  std::string quoted(1, '\'');
  quoted.append(text.substr(0, kQuoteLength));
  quoted.append(text.size() > kQuoteLength ? "...'" : "'");
  return quoted;
}

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
std::string Closest(std::string_view word, ContentReport::Names names) {
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

std::string List(ContentReport::Names names) {
  std::string list;
  for (const char* name : names) list += (list.empty() ? "" : ", ") + std::string(name);
  return list;
}

bool IsKey(std::string_view text, ContentReport::Names keys) {
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

ContentFindings::ContentFindings(std::ostream& out) : out_(out) {}

void ContentFindings::Add(Severity severity, const std::string& file, int32_t line,
                          const std::string& text) {
  const auto real = realNames_.find(file);
  const std::string& name = real == realNames_.end() ? file : real->second;
  std::string finding = name;
  if (line > 0) finding.append(":").append(std::to_string(line));
  finding += std::string(": ") + kSeverityNames[static_cast<int>(severity)] + ": " + text;
  if (written_.count(finding)) return;
  FileRecord& record = files_[file];
  if (severity != Severity::Error) {
    if (record.written > kMostPerFile) return;
    if (record.written++ == kMostPerFile) {
      finding = name + ": note: further warnings and notes about this file are left out";
      severity = Severity::Note;
    }
  }
  written_.insert(finding);
  out_ << finding << '\n';
  ++counts_[static_cast<int>(severity)];
}

int32_t ContentFindings::Count(Severity severity) const {
  return counts_[static_cast<int>(severity)];
}

void ContentFindings::CheckPath(const std::string& path, const std::string& file, int32_t line) {
  const ResolvedPath resolved = ResolveContentPath(path.c_str());
  if (resolved.match != PathMatch::Fallback) return;
  realNames_.emplace(path, resolved.path);
  Add(Severity::Warning, file, line,
      Quote(path) + " is found only as " + Quote(resolved.path) +
          ", with letter case ignored and '\\' read as '/'");
}

void ContentFindings::CheckSound(const std::string& path) {
  CheckPath(path, path, 0);
  const WaveFile wave(path.c_str());
  if (!wave.IsOpen()) {
    Add(Severity::Warning, path, 0,
        "warning sound cannot be opened: a blocked placement makes no sound");
  } else if (!wave.Refusal().empty()) {
    Add(Severity::Warning, path, 0, "no warning sound will play: " + wave.Refusal());
  }
}

std::vector<ContentFindings::SectionMet> ContentFindings::Sections(const std::string& file) const {
  std::vector<SectionMet> sections;
  const auto found = files_.find(file);
  if (found == files_.end()) return sections;
  for (const auto& [line, section] : found->second.sections) sections.push_back(section);
  return sections;
}

int32_t ContentFindings::KeyLine(const std::string& file, const std::string& key) const {
  const auto found = files_.find(file);
  if (found == files_.end()) return 0;
  const auto line = found->second.keyLines.find(key);
  return line == found->second.keyLines.end() ? 0 : line->second;
}

void ContentFindings::Enter(Kind kind, const char* path) {
  // The path is written in the file that names it; the definition's own path is the game's.
  if (open_.empty()) {
    CheckPath(path, path, 0);
  } else {
    CheckPath(path, open_.back().path, open_.back().line);
  }
  OpenFile file;
  file.kind = kind;
  file.path = path;
  file.record = &files_[file.path];
  open_.push_back(std::move(file));
}

void ContentFindings::Leave() {
  if (open_.empty()) return;
  OpenFile& file = open_.back();
  CloseSection(file);
  if (file.kind == Kind::CellPackage && !file.failed && !file.stillMet) {
    Add(Severity::Warning, file.path, 0,
        "no STILL= line: the cell has no picture and is invisible on the board");
  }
  open_.pop_back();
}

void ContentFindings::Section(int32_t line, const char* name, bool closed, Names literals,
                              size_t matched) {
  if (open_.empty()) return;
  OpenFile& file = open_.back();
  file.line = line;
  CloseSection(file);
  const std::string literal = matched == kNoMatch ? "" : literals[matched];
  const char* rest = name + literal.size();
  const int32_t number = SectionScanner::ReadNumber(rest);
  if (file.record->sections.size() < kMostSections) {
    file.record->sections.emplace(line, SectionMet{literal, number, line});
  }

  file.section = literal;
  file.number = number;
  file.sectionLine = line;
  file.keyed = false;

  if (Quiet(file)) return;
  if (!closed) {
    Warn("section header has no closing ']': its last character is dropped, leaving " +
         Quote(name));
  }
  if (matched == kNoMatch) {
    UnknownSection(name, literals);
    return;
  }
  // Only the digits after a numbered section's name count: 'CELLAR 1' is CELL 0.
  const bool numbered = literal != "HEADER";
  if (numbered && std::isalpha(static_cast<unsigned char>(*rest))) {
    Warn("section " + Quote(name) + " is read as '" + literal + " " + std::to_string(number) + "'");
  }
}

void ContentFindings::Line(int32_t line, const char* text, Names keys, size_t matched) {
  if (open_.empty()) return;
  OpenFile& file = open_.back();
  file.line = line;
  if (matched == kNoMatch) {
    if (!Quiet(file)) UnknownLine(text, keys);
    return;
  }
  const std::string key = keys[matched];
  int32_t& keyLine = file.record->keyLines[key];
  keyLine = std::max(keyLine, line);
  file.keyed = true;
  if (key == "STILL=") file.stillMet = true;
  if (Quiet(file)) return;
  const std::string_view value = text + key.size();
  if (!value.empty() && IsBlank(value.front())) {
    Warn("the value of '" + key + "' begins with a space, which is part of it");
  }
  if (!value.empty() && IsBlank(value.back())) {
    Warn("the value of '" + key + "' ends with a space, which is part of it");
  }
}

void ContentFindings::LineCut(int32_t line) {
  if (open_.empty()) return;
  open_.back().line = line;
  Warn("line longer than 1023 characters: the 1024th is lost and the rest is read as a new line");
}

void ContentFindings::ScanEnd(bool sectionsMet, int32_t textAfterEndLine) {
  if (open_.empty()) return;
  const OpenFile& file = open_.back();
  if (!sectionsMet) {
    Add(Severity::Warning, file.path, 0, "no sections at all: nothing in the file is read");
  }
  if (textAfterEndLine > 0) {
    Add(Severity::Warning, file.path, textAfterEndLine,
        "a byte 0x1A (Ctrl-Z) ends the file here: the text after it is never read");
  }
}

void ContentFindings::Failure(int32_t code, const std::string& reason, int32_t line) {
  if (open_.empty()) return;
  OpenFile& file = open_.back();
  file.failed = true;
  const int32_t at = line == kCurrentLine ? file.line : line;
  // A section whose own header or line failed is not judged further; one that failed the
  // file only at its end may be why it failed.
  if (at == file.sectionLine) file.section.clear();
  CloseSection(file);
  std::string consequence =
      "the game stops with \"" + DefinitionFile::PackageFailureMessage(code) + "\"";
  if (file.kind == Kind::Definition && code == -1) {
    consequence = "the game ends without a message";
  } else if (file.kind == Kind::Definition && code == -2) {
    consequence = "the game reads no further in the header and shows no board picture";
  }
  Add(Severity::Error, file.path, at, reason + " (" + consequence + ")");
}

void ContentFindings::Repeated(const char* key) {
  Warn(std::string("repeated '") + key + "' is ignored: the first one counts");
}

void ContentFindings::PictureLoaded(Picture which, const char* path, const Surface* surface) {
  if (surface && !open_.empty()) CheckPath(path, open_.back().path, open_.back().line);
  const SurfaceRect size = DisplayDevice::GetSurfaceSize(surface);
  const std::string shown =
      size.right > 0 ? std::to_string(size.right) + " x " + std::to_string(size.bottom) : "";
  switch (which) {
    case Picture::Background:
      if (size.right != kBackgroundSide || size.bottom != kBackgroundSide) {
        Warn("background picture " + Quote(path) + " is " + shown + ", not 432 x 432");
      }
      break;
    case Picture::ButtonUp:
    case Picture::ButtonDown:
      if (!surface) {
        Warn("button picture " + Quote(path) + " cannot be loaded: the button stays empty");
      } else if (size.right != kButtonWidth || size.bottom != kButtonHeight) {
        Warn("button picture " + Quote(path) + " is " + shown + ", not 150 x 40");
      }
      break;
    case Picture::Still:
      if (size.right != kStillWidth) {
        Warn("still picture " + Quote(path) + " is " + std::to_string(size.right) +
             " pixels wide, not 41");
      }
      break;
  }
}

void ContentFindings::AnimationShown(const char* path) {
  if (open_.empty()) return;
  const OpenFile& file = open_.back();
  Add(Severity::Note, file.path, file.line,
      "animation package " + Quote(path) + ": the game shows this path in a box at start");
}

void ContentFindings::Warn(const std::string& text) {
  if (open_.empty()) return;
  Add(Severity::Warning, open_.back().path, open_.back().line, text);
}

void ContentFindings::CloseSection(OpenFile& file) {
  if (file.kind == Kind::CharacterPackage && file.section == "CELL" && !file.keyed) {
    Add(Severity::Warning, file.path, file.sectionLine,
        "section 'CELL " + std::to_string(file.number) +
            "' has no PACKAGE= line: the cell gets no package and no picture");
  }
  file.section.clear();
}

void ContentFindings::UnknownLine(const std::string& text, Names keys) {
  const size_t start = text.find_first_not_of(" \t\r");
  if (start == std::string::npos || text[start] == ';') return;
  const std::string_view line = std::string_view(text).substr(start);
  const size_t equals = line.find('=');
  if (start > 0 && line.front() == '[') {
    Warn("indented section header " + Quote(line) +
         " opens no section: it is an ignored line of the section above");
    return;
  }
  if (start > 0 && equals != std::string_view::npos && IsKey(line.substr(0, equals + 1), keys)) {
    Warn("indented key " + Quote(line.substr(0, equals + 1)) +
         " is ignored: keys begin in the first column");
    return;
  }
  // The word that was meant as a key: up to the '=', or up to the first space without one.
  std::string_view word =
      line.substr(0, equals != std::string_view::npos ? equals : line.find_first_of(" \t"));
  const size_t end = word.find_last_not_of(" \t");
  const std::string_view trimmed = word.substr(0, end == std::string_view::npos ? 0 : end + 1);
  if (equals != std::string_view::npos && trimmed.size() < word.size() &&
      IsKey(std::string(trimmed) + "=", keys)) {
    Warn(Quote(line.substr(0, equals + 1)) + " is not the key '" + std::string(trimmed) +
         "=': no space may stand before the '='");
    return;
  }
  const std::string likely = Closest(trimmed, keys);
  const std::string shown =
      Quote(equals != std::string_view::npos ? line.substr(0, equals + 1) : line);
  const std::string what = (equals != std::string_view::npos ? "unknown key " : "line ") + shown;
  if (!likely.empty()) {
    Warn(what + " is ignored; did you mean '" + likely + "'?");
  } else {
    Warn(what + " is ignored (keys here: " + List(keys) + ")");
  }
}

void ContentFindings::UnknownSection(const std::string& name, Names literals) {
  const OpenFile& file = open_.back();
  size_t letters = 0;
  while (letters < name.size() && std::isalpha(static_cast<unsigned char>(name[letters]))) {
    ++letters;
  }
  const std::string likely = Closest(std::string_view(name).substr(0, letters), literals);
  if (!likely.empty()) {
    Warn("unknown section " + Quote(name) + " is skipped; did you mean '" + likely + "'?");
  } else {
    Warn("unknown section " + Quote(name) + " is skipped (sections of " + KindName(file.kind) +
         ": " + List(literals) + ")");
  }
}
