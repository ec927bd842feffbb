// PlayScreen: the size of the play screen and of the pictures drawn on it. The display opens
// the screen at this size, the board lays itself out on it, and the content check measures a
// game's pictures against it.
#pragma once

#include <cstdint>

namespace PlayScreen {

constexpr int32_t kWidth = 640;
constexpr int32_t kHeight = 480;

// The background and the board overlays are drawn from their top-left kBoardSide by
// kBoardSide pixels; a panel button from its top-left kButtonWidth by kButtonHeight; a
// still picture is a square wide.
constexpr int32_t kBoardSide = 432;
constexpr int32_t kButtonWidth = 150;
constexpr int32_t kButtonHeight = 40;
constexpr int32_t kSquareSide = 41;

}  // namespace PlayScreen
