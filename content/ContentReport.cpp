// ContentReport: the active report and the readers' ways of telling it.
#include "content/ContentReport.h"

#include <vector>

#include "display/BitmapFile.h"
#include "platform/ContentFile.h"

namespace {

ContentReport* active = nullptr;

}  // namespace

ContentReport* ContentReport::Active() { return active; }

void ContentReport::Install(ContentReport* report) { active = report; }

std::string ContentReport::OpenTrouble(const char* path) {
  if (!active) return "cannot be opened";
  // Names that differ only in letter case leave the game none to choose.
  const std::vector<std::string> alike = ResolveContentPath(path).alike;
  if (!alike.empty()) {
    std::string names;
    for (size_t i = 0; i < alike.size(); ++i) {
      names += (i == 0 ? "'" : i + 1 == alike.size() ? " and '" : ", '") + alike[i] + "'";
    }
    return "cannot be opened: " + names + (alike.size() == 2 ? " both" : " all") +
           " match it with letter case ignored, and the game cannot tell which is meant";
  }
  const std::string reason = ContentFile::WhyNotOpened(path);
  return reason.empty() ? "cannot be read" : "cannot be opened: " + reason;
}

std::string ContentReport::PictureTrouble(const char* path) {
  if (!active) return "cannot be loaded";
  if (!ContentFile::WhyNotOpened(path).empty()) return OpenTrouble(path);
  ContentFile file(path);
  char magic[2] = {};
  if (file.Read(magic, sizeof magic) != sizeof magic || magic[0] != 'B' || magic[1] != 'M') {
    return "is not a BMP file";
  }
  BitmapFile bitmap;
  if (bitmap.Read(path)) bitmap.Decode();
  if (!bitmap.Refusal().empty()) return "is a BMP file the game does not read: " + bitmap.Refusal();
  return "cannot be loaded";
}

void ContentReport::ReportFailure(int32_t code, const std::string& reason, int32_t line) {
  if (active) active->Failure(code, reason, line);
}

void ContentReport::ReportRepeated(const char* key) {
  if (active) active->Repeated(key);
}

void ContentReport::ReportPicture(Picture which, const char* path, const Surface* surface) {
  if (active) active->PictureLoaded(which, path, surface);
}

void ContentReport::ReportAnimation(const char* path) {
  if (active) active->AnimationShown(path);
}

ContentReport::Scope::Scope(Kind kind, const char* path) : report_(active) {
  if (report_) report_->Enter(kind, path);
}

ContentReport::Scope::~Scope() {
  if (report_) report_->Leave();
}
