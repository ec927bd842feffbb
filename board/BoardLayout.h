// BoardLayout: where the board and the panel stand on the 640 by 480 play screen. Hit testing,
// laying out the grid and composing frames all take their pixels from here.
#pragma once

#include <cstdint>

#include "display/PlayScreen.h"
#include "display/Surface.h"

namespace BoardLayout {

// The play screen.
constexpr int32_t kScreenWidth = PlayScreen::kWidth;
constexpr int32_t kScreenHeight = PlayScreen::kHeight;

// The squares: the first one's top-left corner, the step from one square to the next (41
// pixels of square and 2 between), and how far a square answers the pointer: from its x to
// x + 41 inclusive, one pixel more than it is wide.
constexpr int32_t kFirstSquareX = 17;
constexpr int32_t kFirstSquareY = 35;
constexpr int32_t kSquareStep = 43;
constexpr int32_t kSquareSize = PlayScreen::kSquareSide;
constexpr int32_t kSquareReach = 41;

// The board picture: the background and the grid overlay are copied from their top-left
// 432 by 432 pixels into this area, two pixels outside the outer squares.
constexpr SurfaceRect kBoardArea{15, 33, 447, 465};
constexpr SurfaceRect kBoardPicture{0, 0, PlayScreen::kBoardSide, PlayScreen::kBoardSide};

// The panel: button i covers x 480 to 630 and y 260 + 40 i to 300 + 40 i; buttons stop
// where one would end below y 500, which leaves room for six.
constexpr int32_t kPanelLeft = 480;
constexpr int32_t kPanelRight = 630;
constexpr int32_t kPanelTop = 260;
constexpr int32_t kButtonHeight = PlayScreen::kButtonHeight;
constexpr int32_t kPanelBottom = 500;
constexpr SurfaceRect kButtonPicture{0, 0, PlayScreen::kButtonWidth, PlayScreen::kButtonHeight};
constexpr int32_t kMostDrawnCharacters = 6;

// The rectangle that button i is drawn into (right and bottom exclusive).
constexpr SurfaceRect ButtonArea(int32_t i) {
  return SurfaceRect{kPanelLeft, kPanelTop + kButtonHeight * i, kPanelRight,
                     kPanelTop + kButtonHeight * (i + 1)};
}

}  // namespace BoardLayout
