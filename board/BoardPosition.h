// BoardPosition: a square of the board by its column and row, or a panel button as column 0
// and the button's index as row. Hit testing fills it; the keys keep their cursor in it.
#pragma once

#include <cstdint>

struct BoardPosition {
  int32_t column = 0;
  int32_t row = 0;

  bool operator==(const BoardPosition&) const = default;
};
