// ContentFindings: the readers' events turned into findings, and each finding written once.
#include "content/ContentFindings.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <ostream>
#include <utility>

#include "content/DefinitionFile.h"
#include "content/PictureFindings.h"
#include "content/SectionScanner.h"
#include "content/TextFindings.h"
#include "platform/ContentFile.h"
#include "platform/ProgramOutput.h"
#include "platform/WaveFile.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kSeverityNames[] = {"error", "warning", "note"};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// `path` as the fallback reads it: '\' as '/', and repeated separators as one.
std::string AsSeparated(std::string_view path) {
  std::string separated;
  for (char c : path) {
    if (c == '\\') c = '/';
    if (c != '/' || separated.empty() || separated.back() != '/') separated += c;
  }
  return separated;
}

// Whether `path` names a place outside the game folder, the working directory: an absolute
// path elsewhere, or one whose ".." climbs above the folder.
bool LeadsOutside(const std::string& path) {
  std::error_code ignored;
  const fs::path folder = fs::current_path(ignored);
  const fs::path inside =
      (folder / AsSeparated(path)).lexically_normal().lexically_relative(folder);
  return inside.empty() || *inside.begin() == "..";
}

}  // namespace

ContentFindings::ContentFindings(std::ostream& out) : out_(&out) {}

ContentFindings::ContentFindings() = default;

void ContentFindings::Add(Severity severity, const std::string& file, int32_t line,
                          const std::string& text) {
  Write(severity, file, line, text, false);
}

void ContentFindings::Write(Severity severity, const std::string& file, int32_t line,
                            const std::string& text, bool saidAtStart) {
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
  if (out_) {
    *out_ << Printable(finding) << '\n';
  } else if (severity == Severity::Error || saidAtStart) {
    WriteErrorLine(finding);
  }
  findings_.push_back(Finding{severity, finding, saidAtStart});
  ++counts_[static_cast<int>(severity)];
}

int32_t ContentFindings::Count(Severity severity) const {
  return counts_[static_cast<int>(severity)];
}

std::string ContentFindings::Quote(std::string_view text) {
  std::string quoted(1, '\'');
  quoted.append(text.substr(0, kQuoteLength));
  quoted.append(text.size() > kQuoteLength ? "...'" : "'");
  return quoted;
}

void ContentFindings::CheckPath(const std::string& path, const std::string& file, int32_t line) {
  const ResolvedPath resolved = ResolveContentPath(path.c_str());
  if (resolved.match == PathMatch::Missing) return;
  if (LeadsOutside(path)) {
    Add(Severity::Warning, file, line,
        Quote(path) + " lies outside the game folder (the game reads it there, but a copy of " +
            "the folder lacks it, and --watch does not see it change)");
  }
  if (resolved.match != PathMatch::Fallback) return;
  realNames_.emplace(path, resolved.path);
  FallbackPaths& fallback = fallbackPaths_;
  if (!fallback.written.insert(path).second) return;
  if (fallback.written.size() == 1) {
    fallback.file = file;
    fallback.line = line;
    fallback.path = path;
    fallback.found = resolved.path;
  }
  fallback.backslashes |= path.find('\\') != std::string::npos;
  fallback.caseIgnored |= AsSeparated(path) != resolved.path;
}

void ContentFindings::SumUp() {
  const FallbackPaths& fallback = fallbackPaths_;
  if (fallback.written.empty()) return;
  const std::string how = fallback.caseIgnored && fallback.backslashes
                              ? "with letter case ignored and '\\' read as '/'"
                          : fallback.backslashes ? "with '\\' read as '/'"
                                                 : "with letter case ignored";
  const std::string example = Quote(fallback.path) + " as " + Quote(fallback.found);
  const size_t count = fallback.written.size();
  Add(Severity::Note, fallback.file, fallback.line,
      count == 1
          ? "a path written as on Windows is found " + how + " (" + example + "): it works here"
          : std::to_string(count) + " paths written as on Windows are found " + how +
                " (the first: " + example + "): they work here");
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

std::string ContentFindings::KeyValue(const std::string& file, const std::string& key) const {
  const auto found = files_.find(file);
  if (found == files_.end()) return "";
  const auto value = found->second.keyValues.find(key);
  return value == found->second.keyValues.end() ? "" : value->second;
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
  if (!open_.back().record->bytesLookedAt) LookAtBytes(open_.back());
}

void ContentFindings::LookAtBytes(const OpenFile& file) {
  file.record->bytesLookedAt = true;
  const std::string bytes = TextFindings::FirstBytes(file.path);
  const std::string saved = TextFindings::HowSaved(bytes);
  if (!saved.empty()) {
    Add(Severity::Warning, file.path, 0, saved);
    // What follows from it, line by line, would only hide it.
    file.record->written = kMostPerFile + 1;
    return;
  }
  for (const TextFindings::LineFinding& nul : TextFindings::NulBytes(bytes)) {
    Add(Severity::Warning, file.path, nul.line, nul.text);
  }
}

void ContentFindings::CheckCellNumbers(const OpenFile& file) {
  // A character package whose reading stopped on the way was not read to its end.
  if (file.cells < 0 || !file.scanEnded) return;
  for (int32_t cell = 0; cell < file.cells; ++cell) {
    if (file.cellSections.count(cell) == 0) {
      Add(Severity::Warning, file.path, file.cellsLine,
          "no section 'CELL " + std::to_string(cell) + "' of CELLS=" + std::to_string(file.cells) +
              ": cell " + std::to_string(cell) +
              " gets no package and no picture, and is invisible on the board");
    }
  }
}

void ContentFindings::Leave() {
  if (open_.empty()) return;
  OpenFile& file = open_.back();
  CloseSection(file);
  if (file.kind == Kind::CharacterPackage) CheckCellNumbers(file);
  if (file.kind == Kind::CellPackage && !file.failed && file.stillLines == 0) {
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

  if (file.kind == Kind::CharacterPackage && literal == "CELL") {
    const auto [first, added] = file.cellSections.emplace(number, line);
    if (!added && number >= 0 && number < file.cells) {
      Warn("section 'CELL " + std::to_string(number) + "' is given twice (first at line " +
           std::to_string(first->second) + "): its package is loaded into the same cell, which " +
           "keeps the first one's picture");
    }
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
    Warn(TextFindings::UnknownSection(name, literals, file.kind));
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
    if (!Quiet(file)) {
      const std::string unknown = TextFindings::UnknownLine(text, keys);
      if (!unknown.empty()) Warn(unknown);
    }
    return;
  }
  const std::string key = keys[matched];
  int32_t& keyLine = file.record->keyLines[key];
  if (line >= keyLine) file.record->keyValues[key] = text + key.size();
  keyLine = std::max(keyLine, line);
  file.keyed = true;
  if (key == "STILL=") ++file.stillLines;
  if (key == "CELLS=" && file.cells < 0) {
    file.cells = std::max(0, SectionScanner::ReadNumber(text + key.size()));
    file.cellsLine = line;
  }
  if (Quiet(file)) return;
  const std::string_view value = text + key.size();
  // A path the space makes missing has a finding of its own.
  if (!value.empty() && IsBlank(value.front())) {
    Note("the value of '" + key + "' begins with a space, which is part of it");
  }
  if (!value.empty() && IsBlank(value.back())) {
    Note("the value of '" + key + "' ends with a space, which is part of it");
  }
}

void ContentFindings::LineCut(int32_t line) {
  if (open_.empty()) return;
  open_.back().line = line;
  Warn("line longer than 1023 characters: the 1024th is lost and the rest is read as a new line");
}

void ContentFindings::ScanEnd(bool sectionsMet, int32_t textAfterEndLine) {
  if (open_.empty()) return;
  OpenFile& file = open_.back();
  file.scanEnded = true;
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
  Severity severity = Severity::Error;
  if (file.kind == Kind::Definition && code == -1) {
    consequence = kEndsWithBox;
  } else if (file.kind == Kind::Definition && code == -2) {
    // The game starts on a complete header all the same; an incomplete one is an error of its own.
    severity = Severity::Warning;
    consequence = "the game reads no further in the header and shows no board picture";
  }
  const std::string missing =
      file.kind == Kind::CharacterPackage && code == -1 ? WithoutHeader(file) : "";
  Write(severity, file.path, at, reason + missing + " (" + consequence + ")",
        severity == Severity::Warning);
}

void ContentFindings::Repeated(const char* key) {
  // A cell package loaded a second time for the same cell finds the cell's picture there
  // already; the character package that loads it twice is told of that.
  if (std::string_view(key) == "STILL=" && !open_.empty() && open_.back().stillLines < 2) return;
  Warn(std::string("repeated '") + key + "' is ignored: the first one counts");
}

void ContentFindings::PictureLoaded(Picture which, const char* path, const Surface* surface) {
  if (surface && !open_.empty()) CheckPath(path, open_.back().path, open_.back().line);
  // The overlays are named by no file: findings about them name the picture itself.
  if (which == Picture::Overlay) CheckPath(path, path, 0);
  for (const PictureFindings::Finding& finding : PictureFindings::Check(which, path, surface)) {
    if (finding.aboutPicture) {
      Add(finding.severity, path, 0, finding.text);
    } else if (!open_.empty()) {
      Write(finding.severity, open_.back().path, open_.back().line, finding.text,
            finding.saidAtStart);
    }
  }
}

void ContentFindings::AnimationShown(const char* path) {
  if (open_.empty()) return;
  const OpenFile& file = open_.back();
  Add(Severity::Warning, file.path, file.line,
      "animation package " + Quote(path) + ": the game shows this path in a box at start");
}

void ContentFindings::Warn(const std::string& text) {
  if (open_.empty()) return;
  Add(Severity::Warning, open_.back().path, open_.back().line, text);
}

void ContentFindings::Note(const std::string& text) {
  if (open_.empty()) return;
  Add(Severity::Note, open_.back().path, open_.back().line, text);
}

std::string ContentFindings::WithoutHeader(const OpenFile& file) const {
  for (const auto& [line, section] : file.record->sections) {
    if (section.literal == "HEADER") return "";
  }
  // The count is then text between sections, which the game skips.
  const TextFindings::LineFinding count =
      TextFindings::FirstLineWithKey(TextFindings::FirstBytes(file.path), "CELLS=");
  return "; there is no [HEADER] section" +
         (count.line > 0 ? std::string(" above ") + Quote(count.text) + " at line " +
                               std::to_string(count.line) + ", so that line is never read"
                         : std::string());
}

void ContentFindings::CloseSection(OpenFile& file) {
  if (file.kind == Kind::CharacterPackage && file.section == "CELL" && !file.keyed) {
    Add(Severity::Warning, file.path, file.sectionLine,
        "section 'CELL " + std::to_string(file.number) +
            "' has no PACKAGE= line: the cell gets no package and no picture");
  }
  file.section.clear();
}
