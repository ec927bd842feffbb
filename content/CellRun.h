// CellRun: the squares a character covers from its start square, one cell after the other: a
// Horizontal character's run rightwards, a Vertical one's (and any other's) downwards. Every
// rule that goes from a start square to the squares of its cells, or back, goes through here.
#pragma once

#include <cstdint>

// A character's orientation.
constexpr int32_t Vertical = 1;
constexpr int32_t Horizontal = 2;

struct CellRun {
  int32_t column = 0;
  int32_t row = 0;
  int32_t orientation = Vertical;

  // The start's coordinate along the run, which grows by one from each cell to the next.
  constexpr int32_t& Along() { return orientation == Horizontal ? column : row; }

  // The run from cell i on, whose start is cell i's square; for a negative i, the run whose
  // cell -i stands on this start.
  constexpr CellRun From(int32_t i) const {
    CellRun run = *this;
    run.Along() += i;
    return run;
  }

  // One past the last of `length` cells along the run, in a type that no length overflows.
  constexpr int64_t End(int32_t length) const {
    return static_cast<int64_t>(CellRun(*this).Along()) + length;
  }
};
