// CharacterCell: one square's worth of a character, with the still picture drawn for it on
// the board and its idle, die and attack animation packages, read from its cell package.
//
// A cell package holds a HEADER section (IDLE PACKAGES=, DIE PACKAGES=, ATTACK PACKAGES=,
// STILL=) and then one IDLE n, DIE n or ATTACK n section per declared package, each with
// PACKAGE= lines. Load returns 0, or -21 (no file), -22 (still picture failed), -23 (section
// number outside its packages), -24 (a count that its sections do not match, or above
// kMaxPackages), or a package's own negative result.
// A repeated IDLE, DIE or ATTACK PACKAGES= line replaces that kind's array: the packages of
// the old array are deleted, and a count at or below 0 leaves no array at all.
#pragma once

#include <cstdint>
#include <memory>

#include "content/SectionStream.h"

class AnimationPackage;
class Surface;

class CharacterCell {
 public:
  CharacterCell();
  virtual ~CharacterCell();
  CharacterCell(const CharacterCell&) = delete;
  CharacterCell& operator=(const CharacterCell&) = delete;

  // Most animation packages of one kind a cell package may declare.
  static constexpr int32_t kMaxPackages = 100;
  // Pixels the still picture reaches above its square, so that pieces stand upright.
  static constexpr int32_t kStillRaise = 19;

  // Loading from a cell package (0, or a negative code), and giving back all it holds.
  int32_t Load(const char* path);
  void Free();

  // Drawing of the still picture on the cell's square, when shown (defined with the frame
  // composition).
  void Draw();

  int32_t idleCount = 0;
  int32_t dieCount = 0;
  int32_t attackCount = 0;
  int32_t column = 0;
  int32_t row = 0;
  int32_t xOffset = 0;
  int32_t yOffset = -kStillRaise;
  int32_t height = 0;
  int32_t width = 0;
  uint8_t shown = 0;
  Surface* stillSurface = nullptr;
  std::unique_ptr<std::unique_ptr<AnimationPackage>[]> diePackages;
  std::unique_ptr<std::unique_ptr<AnimationPackage>[]> idlePackages;
  std::unique_ptr<std::unique_ptr<AnimationPackage>[]> attackPackages;

 private:
  SectionStream stream_;
};
