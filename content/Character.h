// Character: one playable piece, a straight row of cells with a button on the play screen's
// panel. It is filled from the game definition (button pictures) and its character package
// (cells), and moved about the board by the mouse handlers.
#pragma once

#include <cstdint>
#include <memory>

#include "content/SectionStream.h"

class CharacterCell;
class Surface;

constexpr int32_t Vertical = 1;
constexpr int32_t Horizontal = 2;

class Character {
 public:
  Character();
  virtual ~Character();
  Character(const Character&) = delete;
  Character& operator=(const Character&) = delete;

  // Loading: the panel button's pictures (null when a picture fails, which is no error) and
  // the character package with its cells (0, or a negative code).
  Surface* SetButtonUp(const char* path);
  Surface* SetButtonDown(const char* path);
  int32_t LoadPackage(const char* path);

  // Board placement: the cells' squares from a start square in the current orientation,
  // and whether they are drawn.
  void SetPosition(int32_t column, int32_t row);
  void SetShown(uint8_t flag);

  // Drawing of every cell into the display's back buffer.
  void Draw();

  int32_t cellCount = 0;
  Surface* buttonUpSurface = nullptr;
  Surface* buttonDownSurface = nullptr;
  uint8_t pressed = 0;
  uint8_t placed = 0;
  // cellCount entries, each a cell or empty; null when no cells were made.
  std::unique_ptr<std::unique_ptr<CharacterCell>[]> cells;
  int32_t orientation = Vertical;

 private:
  SectionStream stream_;
};
