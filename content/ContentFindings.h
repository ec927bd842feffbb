// ContentFindings: a content report that turns what the readers meet into findings, written as
// they are found, one a line in the form compilers use so that editors jump to them:
// "packages/characters/morels.chr:12: warning: ...". An error is what keeps the game from
// starting (it stops with a box, or ends); a warning is what it starts with but shows or plays
// otherwise than the files say; a note is what changes nothing in play. A finding met again (the
// game definition is read once per character, a cell package once per cell naming it) is written
// once. What is wrong with a file's text is worded in TextFindings, what is wrong with a picture in
// PictureFindings.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "content/ContentReport.h"

class ContentFindings : public ContentReport {
 public:
  enum class Severity { Error, Warning, Note };
  // A section header that a scan met: the literal it matched (empty for none), the number
  // that follows the literal, and its line.
  struct SectionMet {
    std::string literal;
    int32_t number = 0;
    int32_t line = 0;
  };

  // What the game does when the content ends it without a box of its own.
  static constexpr const char* kEndsWithBox = "the game shows this in a box and ends";

  // Warnings and notes written about one file at most; an endless supply of one mistake
  // says nothing more than a hundred of them.
  static constexpr int32_t kMostPerFile = 100;
  // Section headers remembered of one file at most.
  static constexpr size_t kMostSections = 10000;

  // A finding as written, and whether the game says it on a start that goes on: it is about
  // something the game leaves out (a button picture that does not load).
  struct Finding {
    Severity severity = Severity::Note;
    std::string text;
    bool saidAtStart = false;
  };

  // The check's findings, each written to `out` as it is found; or the game's, where errors and
  // what is said at start go to standard error as they are found and the rest is kept.
  explicit ContentFindings(std::ostream& out);
  ContentFindings();

  // Findings of the caller's own, about `file` at `line` (0: the whole file), and the counts
  // of those written so far.
  void Add(Severity severity, const std::string& file, int32_t line, const std::string& text);
  int32_t Count(Severity severity) const;
  // Every finding written so far, in order.
  const std::vector<Finding>& Findings() const { return findings_; }

  // What `path`, written in `file` at `line`, says about the game folder: a warning when it
  // leads out of the folder; a path found only through the fallback for content written on a
  // platform that ignores letter case and separates with '\' is counted for SumUp, and
  // findings about its file then name it as it is really named.
  void CheckPath(const std::string& path, const std::string& file, int32_t line);
  // Findings about the game as a whole, once it has been read: the paths found through the
  // fallback, in one note.
  void SumUp();

  // Findings about the warning sound at `path`: why a blocked placement would make no sound.
  void CheckSound(const std::string& path);

  // A text as findings quote it: in single quotes, cut to kQuoteLength characters.
  static constexpr size_t kQuoteLength = 60;
  static std::string Quote(std::string_view text);

  // What the scans of `file` met: its section headers in file order, and the line of the last
  // line of `key` (0 when there is none).
  std::vector<SectionMet> Sections(const std::string& file) const;
  int32_t KeyLine(const std::string& file, const std::string& key) const;
  // The value of the last line of `key`, as written.
  std::string KeyValue(const std::string& file, const std::string& key) const;

  // The readers' events.
  void Enter(Kind kind, const char* path) override;
  void Leave() override;
  void Section(int32_t line, const char* name, bool closed, Names literals,
               size_t matched) override;
  void Line(int32_t line, const char* text, Names keys, size_t matched) override;
  void LineCut(int32_t line) override;
  void ScanEnd(bool sectionsMet, int32_t textAfterEndLine) override;
  void Failure(int32_t code, const std::string& reason, int32_t line) override;
  void Repeated(const char* key) override;
  void PictureLoaded(Picture which, const char* path, const Surface* surface) override;
  void AnimationShown(const char* path) override;

 private:
  struct FileRecord;
  // A file being read, innermost last.
  struct OpenFile {
    Kind kind = Kind::Definition;
    std::string path;
    FileRecord* record = nullptr;
    int32_t line = 0;
    bool failed = false;
    bool scanEnded = false;
    int32_t stillLines = 0;
    // A character package: its count of cells (-1 before CELLS=), where it is set, and the
    // first line of each CELL section by its number.
    int32_t cells = -1;
    int32_t cellsLine = 0;
    std::map<int32_t, int32_t> cellSections;
    // The recognised section being read: its literal (empty before the first), number, line,
    // and whether one of its keys has been met.
    std::string section;
    int32_t number = 0;
    int32_t sectionLine = 0;
    bool keyed = false;
  };
  // What is kept of a file across its readings.
  struct FileRecord {
    std::map<int32_t, SectionMet> sections;
    std::map<std::string, int32_t> keyLines;
    std::map<std::string, std::string> keyValues;
    int32_t written = 0;
    bool bytesLookedAt = false;
  };

  void Write(Severity severity, const std::string& file, int32_t line, const std::string& text,
             bool saidAtStart);
  // Looks at the bytes of the file just entered, once: a file saved in an encoding the game
  // does not read, or not text at all, gets one finding that says so instead of the many its
  // lines would give; a line that holds a NUL byte is read only up to it.
  void LookAtBytes(const OpenFile& file);

  // A finding about the current line of the current file; Quiet when no more warnings about
  // the file are written, so that a huge file of mistakes is not looked at line by line.
  void Warn(const std::string& text);
  void Note(const std::string& text);
  static bool Quiet(const OpenFile& file) { return file.record->written > kMostPerFile; }
  // Warnings for the cells of a character package that no section, or two, give a package.
  void CheckCellNumbers(const OpenFile& file);
  // Ends the current section of `file`, with a warning when it is a cell without a package.
  void CloseSection(OpenFile& file);
  // For a character package whose cells come before any count: how it lacks its HEADER
  // section, or empty when it has one.
  std::string WithoutHeader(const OpenFile& file) const;

  // The paths found through the fallback: the first one, where it is written and what it was
  // found as, and what the fallback had to do for any of them.
  struct FallbackPaths {
    std::set<std::string> written;
    std::string file;
    int32_t line = 0;
    std::string path;
    std::string found;
    bool caseIgnored = false;
    bool backslashes = false;
  };

  std::ostream* out_ = nullptr;
  std::vector<OpenFile> open_;
  std::map<std::string, FileRecord> files_;
  // Findings name a file found through the fallback by its real name, for editors to open.
  std::map<std::string, std::string> realNames_;
  FallbackPaths fallbackPaths_;
  std::set<std::string> written_;
  std::vector<Finding> findings_;
  int32_t counts_[3] = {};
};
