// ContentReport: what the content readers tell a checker about the files they read: where each
// scan goes, and what the readers make of it. The game installs no report; every call the
// readers make then does nothing, and they behave exactly as without it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

class Surface;

class ContentReport {
 public:
  enum class Kind { Definition, CharacterPackage, CellPackage };
  enum class Picture { Background, ButtonUp, ButtonDown, Still, Overlay };
  // Section literals or keys in the order a reader tests them.
  using Names = std::span<const char* const>;
  // The index of a header or line that matches none of the names.
  static constexpr size_t kNoMatch = static_cast<size_t>(-1);
  // The line a failure is blamed on when the reader gives none: the current line of the file
  // being read (0 before its first line, meaning the whole file).
  static constexpr int32_t kCurrentLine = 0;

  ContentReport() = default;
  virtual ~ContentReport() = default;
  ContentReport(const ContentReport&) = delete;
  ContentReport& operator=(const ContentReport&) = delete;

  // The report the readers tell, or null; installing one replaces the one before.
  static ContentReport* Active();
  static void Install(ContentReport* report);

  // The file being read, from Enter to the matching Leave; the files it names nest inside.
  virtual void Enter(Kind kind, const char* path) = 0;
  virtual void Leave() = 0;

  // The scan of the current file: a section header (`closed` when its line holds a ']'), a
  // body line of a recognised section, a line cut at the line limit, and the end of a scan
  // that ran to the end of the file (`textAfterEndLine`: see SectionStream::TextAfterEndLine).
  virtual void Section(int32_t line, const char* name, bool closed, Names literals,
                       size_t matched) = 0;
  virtual void Line(int32_t line, const char* text, Names keys, size_t matched) = 0;
  virtual void LineCut(int32_t line) = 0;
  virtual void ScanEnd(bool sectionsMet, int32_t textAfterEndLine) = 0;

  // What the readers make of it: a failure with the code they return and its reason in plain
  // words; a line whose key was given before and is ignored; a picture loaded (null when it
  // failed without failing the reader); an animation package shown.
  virtual void Failure(int32_t code, const std::string& reason, int32_t line) = 0;
  virtual void Repeated(const char* key) = 0;
  virtual void PictureLoaded(Picture which, const char* path, const Surface* surface) = 0;
  virtual void AnimationShown(const char* path) = 0;

  // Why a file named by the content gives nothing, in words that follow its name: "cannot be
  // opened: No such file or directory", "is not a BMP file"... Worked out only for an active
  // report; without one, the plain words.
  static std::string OpenTrouble(const char* path);
  static std::string PictureTrouble(const char* path);

  // For the readers: each tells the active report, if there is one.
  static void ReportFailure(int32_t code, const std::string& reason, int32_t line = kCurrentLine);
  static void ReportRepeated(const char* key);
  static void ReportPicture(Picture which, const char* path, const Surface* surface);
  static void ReportAnimation(const char* path);

  // Enter on construction and Leave on destruction, on the report active at construction.
  class Scope {
   public:
    Scope(Kind kind, const char* path);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    ContentReport* report_;
  };
};
