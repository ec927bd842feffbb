// KeyMapping: the play screen's keys as the mouse events they stand for. A key acts on the
// square under the board cursor or on a panel button through the very mouse handlers the
// pointer drives, so that the rules of play keep their one home; the mapping only says which
// handler calls a key makes, at which point, and where the cursor goes. A game controller's
// buttons arrive as the keys they stand for (platform/Message.h) and map the same.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "board/BoardPosition.h"

// What the keys keep beside the play state: the board cursor's square, the panel button
// pressed last (-1 before any), from which Tab counts, and whether the controls are shown.
struct KeyState {
  BoardPosition cursor;
  int32_t lastButton = -1;
  bool controlsShown = false;

  bool operator==(const KeyState&) const = default;
};

// One call of a mouse handler, named by the window message that makes it, at a play-screen
// point.
struct PointerEvent {
  uint32_t message = 0;
  int32_t x = 0;
  int32_t y = 0;

  bool operator==(const PointerEvent&) const = default;
};

class KeyMapping {
 public:
  // What a key does: whether it is a key of play at all, the key state after it, and the
  // handler calls it makes, in order.
  struct Action {
    bool known = false;
    KeyState after;
    std::vector<PointerEvent> events;
  };

  // The action of `key` with its message's flags (KeyShift, KeyFromController) from the state
  // `before`; `placed` says for each panel button whether its character stands on the board.
  // Of the play state it reads only the Grid's layout, for the squares' centres.
  static Action Of(int32_t key, int64_t flags, const KeyState& before,
                   std::span<const uint8_t> placed);

  // The panel button of the next (step 1) or previous (step -1) character still to place,
  // counted from `last` and wrapping, from before the first or after the last when `last`
  // names no button; -1 when every character is placed.
  static int32_t NextToPlace(int32_t last, int32_t step, std::span<const uint8_t> placed);

 private:
  static PointerEvent AtSquare(uint32_t message, BoardPosition square);
  static PointerEvent AtButton(uint32_t message, int32_t button);
};
