// ContentReport: the active report and the readers' ways of telling it.
#include "content/ContentReport.h"

namespace {

ContentReport* active = nullptr;

}  // namespace

ContentReport* ContentReport::Active() { return active; }

void ContentReport::Install(ContentReport* report) { active = report; }

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
