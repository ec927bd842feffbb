// Character: one playable piece, a straight row of cells with a button on the play screen's
// panel. It is filled from the game definition (button pictures) and its character package
// (cells), and moved about the board by the mouse handlers.
//
// A character package holds a HEADER section with CELLS= and one CELL n section per cell,
// each with a PACKAGE= line naming the cell's package. LoadPackage returns 0, or -11 (no
// file), -1 (a CELL number outside the cells), -12 (the loaded packages do not match the
// count, or a count above kMaxCells), or a cell's own negative code.
// Only the first CELLS= line a character reads counts; later ones are ignored, so the cells
// array always holds exactly cellCount entries. A count at or below 0 makes no array.
// A new button picture gives back the one it replaces.
#pragma once

#include <cstdint>
#include <memory>

#include "content/CellRun.h"
#include "content/SectionStream.h"

class CharacterCell;
class Surface;

class Character {
 public:
  Character();
  virtual ~Character();
  Character(const Character&) = delete;
  Character& operator=(const Character&) = delete;

  // Most cells a character may have: a longer one could never stand on the 10 by 10 board.
  static constexpr int32_t kMaxCells = 10;

  // Loading: the panel button's pictures (null when a picture fails, which is no error) and
  // the character package with its cells (0, or a negative code).
  Surface* SetButtonUp(const char* path);
  Surface* SetButtonDown(const char* path);
  int32_t LoadPackage(const char* path);

  // Board placement: the cells' squares from a start square in the current orientation,
  // and whether they are drawn.
  void SetPosition(int32_t column, int32_t row);
  void SetShown(uint8_t flag);

  // Drawing of every cell into the display's back buffer (defined with the frame composition).
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
  // Deletes the cells in index order, then the array.
  void ReleaseCells();

  SectionStream stream_;
  // A CELLS= line has been acted on.
  bool cellsDeclared_ = false;
};

// The characters of the game, one entry per CHARACTER section in index order; an entry may be
// empty. CharacterCount is the number of entries, set once all exist; below 1 means none.
extern std::unique_ptr<std::unique_ptr<Character>[]> Characters;
extern int32_t CharacterCount;
