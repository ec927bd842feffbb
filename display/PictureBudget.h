// PictureBudget: the pixels that the pictures of one game may hold together. BitmapFile caps
// each picture, but a game names dozens, and thirty at that cap would hold gigabytes. While a
// budget is active, the display charges every picture it loads to it, gives back the charge of
// one it releases, and refuses a picture that would take the total past the budget, as it
// refuses one it cannot read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

class Surface;

class PictureBudget {
 public:
  // 64 Mi pixels: 256 MiB at 32 bits, hundreds of times what a game of 5 characters needs.
  static constexpr int64_t kMostPixels = int64_t{64} * 1024 * 1024;
  // Pictures a report of a refusal names at most.
  static constexpr size_t kLargestNamed = 3;

  struct Picture {
    std::string path;
    int32_t width = 0;
    int32_t height = 0;
  };

  // The budget is active while it lives; one made while another lives replaces it until it
  // goes.
  PictureBudget();
  ~PictureBudget();
  PictureBudget(const PictureBudget&) = delete;
  PictureBudget& operator=(const PictureBudget&) = delete;
  static PictureBudget* Active();

  // For the display: whether a picture of this size still fits (a refused one is noted), the
  // charge of a surface loaded from `path`, and the charge given back when it is released (a
  // surface not charged here is left alone).
  bool Admits(const char* path, int32_t width, int32_t height);
  void Charge(const Surface* surface, const char* path);
  void Credit(const Surface* surface);

  // For reports: the pixels charged, the picture refused at `path` (null when none was), and
  // the largest pictures charged, largest first, each path once.
  int64_t Charged() const { return total_; }
  const Picture* Refused(const char* path) const;
  std::vector<Picture> Largest() const;

 private:
  PictureBudget* outer_;
  int64_t total_ = 0;
  std::map<const Surface*, Picture> charged_;
  std::map<std::string, Picture> refused_;
};
