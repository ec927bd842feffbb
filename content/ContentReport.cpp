// ContentReport: the active report and the readers' ways of telling it.
#include "content/ContentReport.h"

#include <vector>

#include "content/SectionStream.h"
#include "display/BitmapFile.h"
#include "display/PictureBudget.h"
#include "platform/ContentFile.h"

namespace {

ContentReport* active = nullptr;

// Why `path` gives no open file, from the system's `reason`. Names that differ only in letter
// case leave the game none to choose, whatever the system says of the name as written.
std::string Unopened(const char* path, const std::string& reason) {
  const std::vector<std::string> alike = ResolveContentPath(path).alike;
  if (!alike.empty()) {
    std::string names;
    for (size_t i = 0; i < alike.size(); ++i) {
      names += (i == 0 ? "'" : i + 1 == alike.size() ? " and '" : ", '") + alike[i] + "'";
    }
    return "cannot be opened: " + names + (alike.size() == 2 ? " both" : " all") +
           " match it with letter case ignored, and the game cannot tell which is meant";
  }
  return reason.empty() ? "cannot be read" : "cannot be opened: " + reason;
}

std::string Size(const PictureBudget::Picture& picture) {
  return std::to_string(picture.width) + " x " + std::to_string(picture.height);
}

// Why the budget refused `refused`, and which pictures took it.
std::string OverBudget(const PictureBudget& budget, const PictureBudget::Picture& refused) {
  const int64_t total = budget.Charged() + int64_t{refused.width} * refused.height;
  std::string words = "cannot be loaded: its " + Size(refused) +
                      " pixels would bring the game's pictures to " + std::to_string(total) +
                      ", more than the " + std::to_string(PictureBudget::kMostPixels) + " (" +
                      std::to_string(PictureBudget::kMostPixels >> 20) +
                      " Mi) that all of a game's pictures may have";
  const std::vector<PictureBudget::Picture> largest = budget.Largest();
  for (size_t i = 0; i < largest.size(); ++i) {
    words += (i == 0                    ? "; the largest are '"
              : i + 1 == largest.size() ? " and '"
                                        : ", '") +
             largest[i].path + "' (" + Size(largest[i]) + ")";
  }
  return words;
}

}  // namespace

ContentReport* ContentReport::Active() { return active; }

void ContentReport::Install(ContentReport* report) { active = report; }

std::string ContentReport::OpenTrouble(const char* path) {
  if (!active) return "cannot be opened";
  return Unopened(path, ContentFile::WhyNotOpened(path, SectionStream::kMostBytes));
}

std::string ContentReport::PictureTrouble(const char* path) {
  if (!active) return "cannot be loaded";
  const PictureBudget* const budget = PictureBudget::Active();
  if (const PictureBudget::Picture* refused = budget ? budget->Refused(path) : nullptr) {
    return OverBudget(*budget, *refused);
  }
  const std::string unopened = ContentFile::WhyNotOpened(path);
  if (!unopened.empty()) return Unopened(path, unopened);
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
