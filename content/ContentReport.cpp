// ContentReport: the active report and the readers' ways of telling it.
#include "content/ContentReport.h"

#include "content/SectionStream.h"
#include "display/BitmapFile.h"
#include "platform/ContentFile.h"

namespace {

ContentReport* active = nullptr;

std::string Unopened(const std::string& reason) {
  return reason.empty() ? "cannot be read" : "cannot be opened: " + reason;
}

}  // namespace

ContentReport* ContentReport::Active() { return active; }

void ContentReport::Install(ContentReport* report) { active = report; }

std::string ContentReport::OpenTrouble(const char* path) {
  if (!active) return "cannot be opened";
  return Unopened(ContentFile::WhyNotOpened(path, SectionStream::kMostBytes));
}

std::string ContentReport::PictureTrouble(const char* path) {
  if (!active) return "cannot be loaded";
  const std::string unopened = ContentFile::WhyNotOpened(path);
  if (!unopened.empty()) return Unopened(unopened);
  ContentFile file(path);
  char magic[2] = {};
  if (file.Read(magic, sizeof magic) != sizeof magic || magic[0] != 'B' || magic[1] != 'M') {
    return "is not a BMP file";
  }
  BitmapFile bitmap;
  if (!bitmap.Read(path)) return "is damaged, or a kind of BMP file the game does not read";
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
