// PlayAids: what the play screen keeps beside the rules of play, for players without a pointer
// and for players without sound: the keys' state (the board cursor, the button pressed last,
// the controls shown), whether the last input was a key or a controller's button, in which
// case the composition marks the cursor's square and the panel's state, and the squares of a
// refused placement, shown for half a second beside the warning sound. The rules never read
// it; a real pointer move hides the marks, so that play by mouse looks as it always has.
#pragma once

#include <cstdint>

#include "board/BoardPosition.h"
#include "board/KeyMapping.h"
#include "content/CellRun.h"

class PlayAids {
 public:
  // Input: a key of play was taken, with the key state it left and its message's flags; the
  // real pointer moved, over a board square or (null) not.
  void KeyTaken(const KeyState& after, int64_t flags);
  void PointerMoved(const BoardPosition* square);

  // The sign of a refused placement: `length` cells from the run's start, shown from now for
  // kSignSeconds by the platform counter.
  void Refused(const CellRun& run, int32_t length);
  bool SignShown() const;

  static constexpr double kSignSeconds = 0.5;

  KeyState keys;
  bool marksShown = false;
  // The last key came from a game controller: the controls shown are the controller's.
  bool fromController = false;
  CellRun refusedRun;
  int32_t refusedLength = 0;
  // The counter's reading at which the sign goes.
  int64_t signEnd = 0;
};
