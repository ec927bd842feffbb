// GridSquare: one square of the 10 by 10 board, with its place on the play screen and the
// character standing on it. Grid holds the board, column by column.
#pragma once

#include <cstdint>

#include "content/CellRun.h"

class Character;

class GridSquare {
 public:
  GridSquare() = default;
  virtual ~GridSquare() = default;

  // Puts a character on the square, or frees it with null; occupied follows.
  void SetOccupant(Character* character);

  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 41;
  int32_t height = 41;
  uint8_t occupied = 0;
  Character* occupant = nullptr;
};

constexpr int32_t BoardSize = 10;

// The board: the square of column c and row r is Grid[c * 10 + r].
extern GridSquare Grid[BoardSize * BoardSize];

// Whether a column and row name a square of the board.
constexpr bool OnBoard(int32_t column, int32_t row) {
  return column >= 0 && column < BoardSize && row >= 0 && row < BoardSize;
}

// Whether `length` cells from the run's start lie on the board whole: never from a start off
// the board, always for no cells.
constexpr bool OnBoard(const CellRun& run, int32_t length) {
  return length <= 0 || (OnBoard(run.column, run.row) && run.End(length) <= BoardSize);
}

// The square of a column and row of the board; both must be on the board.
inline GridSquare& Square(int32_t column, int32_t row) { return Grid[column * BoardSize + row]; }
