// PictureBudget: the running total of a game's pixels, and what a refusal names.
#include "display/PictureBudget.h"

#include <algorithm>

#include "display/Surface.h"

namespace {

PictureBudget* active = nullptr;

int64_t Pixels(const PictureBudget::Picture& picture) {
  return int64_t{picture.width} * picture.height;
}

}  // namespace

PictureBudget::PictureBudget() : outer_(active) { active = this; }

PictureBudget::~PictureBudget() { active = outer_; }

PictureBudget* PictureBudget::Active() { return active; }

bool PictureBudget::Admits(const char* path, int32_t width, int32_t height) {
  if (total_ + int64_t{width} * height <= kMostPixels) return true;
  refused_[path] = Picture{path, width, height};
  return false;
}

void PictureBudget::Charge(const Surface* surface, const char* path) {
  const Picture picture{path, surface->Width(), surface->Height()};
  total_ += Pixels(picture);
  charged_[surface] = picture;
}

void PictureBudget::Credit(const Surface* surface) {
  const auto found = charged_.find(surface);
  if (found == charged_.end()) return;
  total_ -= Pixels(found->second);
  charged_.erase(found);
}

const PictureBudget::Picture* PictureBudget::Refused(const char* path) const {
  const auto found = refused_.find(path);
  return found == refused_.end() ? nullptr : &found->second;
}

std::vector<PictureBudget::Picture> PictureBudget::Largest() const {
  // The largest of each path; equal sizes in the order of their paths, so that a report reads
  // the same each time.
  std::map<std::string, Picture> byPath;
  for (const auto& [surface, picture] : charged_) {
    Picture& largest = byPath[picture.path];
    if (Pixels(picture) > Pixels(largest)) largest = picture;
  }
  std::vector<Picture> largest;
  for (const auto& [path, picture] : byPath) largest.push_back(picture);
  std::stable_sort(largest.begin(), largest.end(),
                   [](const Picture& a, const Picture& b) { return Pixels(a) > Pixels(b); });
  if (largest.size() > kLargestNamed) largest.resize(kLargestNamed);
  return largest;
}
