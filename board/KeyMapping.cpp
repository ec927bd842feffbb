// KeyMapping: the table of the play screen's keys.
#include "board/KeyMapping.h"

#include <algorithm>

#include "board/BoardLayout.h"
#include "board/GridSquare.h"
#include "platform/Message.h"

using namespace BoardLayout;

PointerEvent KeyMapping::AtSquare(uint32_t message, BoardPosition square) {
  const GridSquare& grid = Square(square.column, square.row);
  return PointerEvent{message, grid.x + kSquareSize / 2, grid.y + kSquareSize / 2};
}

PointerEvent KeyMapping::AtButton(uint32_t message, int32_t button) {
  const SurfaceRect area = ButtonArea(button);
  return PointerEvent{message, (area.left + area.right) / 2, (area.top + area.bottom) / 2};
}

int32_t KeyMapping::NextToPlace(int32_t last, int32_t step, std::span<const uint8_t> placed) {
  const int32_t count = static_cast<int32_t>(placed.size());
  const int32_t from = last >= 0 && last < count ? last : (step > 0 ? -1 : count);
  for (int32_t i = 1; i <= count; ++i) {
    const int32_t button = ((from + step * i) % count + count) % count;
    if (!placed[static_cast<size_t>(button)]) return button;
  }
  return -1;
}

KeyMapping::Action KeyMapping::Of(int32_t key, int64_t flags, const KeyState& before,
                                  std::span<const uint8_t> placed) {
  Action action{true, before, {}};
  BoardPosition& cursor = action.after.cursor;
  const auto atCursor = [&action, &cursor](uint32_t message) {
    action.events.push_back(AtSquare(message, cursor));
  };
  // A button pressed and released by key, after which the pointer is taken to be back over
  // the cursor's square: the selected character shows there at once.
  const auto pressButton = [&action, &atCursor](int32_t button) {
    action.events.push_back(AtButton(WM_LBUTTONDOWN, button));
    action.events.push_back(AtButton(WM_LBUTTONUP, button));
    atCursor(WM_MOUSEMOVE);
  };
  switch (key) {
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN: {
      int32_t& along = key == VK_LEFT || key == VK_RIGHT ? cursor.column : cursor.row;
      along = std::clamp(along + (key == VK_LEFT || key == VK_UP ? -1 : 1), 0, BoardSize - 1);
      atCursor(WM_MOUSEMOVE);
      break;
    }
    case VK_TAB:
      if (const int32_t button = NextToPlace(before.lastButton, flags & KeyShift ? -1 : 1, placed);
          button >= 0) {
        pressButton(button);
      }
      break;
    // A release over the cursor's square: the pointer is over it first, as a pointer that is
    // released there has been.
    case VK_SPACE:
    case 'R':
      atCursor(WM_MOUSEMOVE);
      atCursor(WM_RBUTTONUP);
      break;
    case VK_RETURN:
      atCursor(WM_MOUSEMOVE);
      atCursor(WM_LBUTTONUP);
      break;
    case VK_F1:
      action.after.controlsShown = !before.controlsShown;
      break;
    case VK_ESCAPE:
      action.after.controlsShown = false;
      break;
    default:
      if (key < '1' || key > '5') {
        action.known = false;
      } else if (key - '1' < static_cast<int32_t>(placed.size())) {
        pressButton(key - '1');
      }
      break;
  }
  return action;
}
