// The pixel routines on surfaces: a whole factor makes sharp blocks by either method, and
// sharp-bilinear by a fraction gives each source pixel the same share, blending only at edges.
#include <SDL.h>
#include <gtest/gtest.h>

#include <memory>

#include "display/PixelRoutines.h"

namespace {

// A ramp one pixel wide or high: its pixel i has red 20 * i, so that a blend of two neighbours
// tells their weights.
std::unique_ptr<Surface> Ramp(int width, int height) {
  auto ramp = NewBuffer(width, height, SDL_PIXELFORMAT_RGB888);
  for (int i = 0; i < width * height; ++i) {
    const SDL_Rect pixel{width > 1 ? i : 0, width > 1 ? 0 : i, 1, 1};
    SDL_FillRect(ramp->Sdl(), &pixel, static_cast<uint32_t>(20 * i) << 16);
  }
  return ramp;
}

int Red(const Surface& surface, int x, int y) {
  return static_cast<int>(surface.Pixel(x, y) >> 16);
}

TEST(PixelRoutinesTest, AWholeFactorGivesEachPixelASharpBlockByEitherMethod) {
  const auto source = Ramp(7, 1);
  for (const bool sharpBilinear : {false, true}) {
    auto target = NewBuffer(2 + 21, 3, SDL_PIXELFORMAT_RGB888);
    const SDL_Rect area{2, 0, 21, 3};
    (sharpBilinear ? StretchSharpBilinear : Stretch)(*source->Sdl(), *target->Sdl(), area);
    for (int y = 0; y < 3; ++y) {
      EXPECT_EQ(Red(*target, 0, y) + Red(*target, 1, y), 0) << "left of the area is untouched";
      for (int x = 0; x < 21; ++x) EXPECT_EQ(Red(*target, 2 + x, y), 20 * (x / 3)) << x;
    }
  }
}

// Scaled by 1.6 across and down: each source pixel adds up to 1.6 target pixels (nearest-
// neighbour gives 1 or 2), and between two source pixels at most one target pixel blends.
TEST(PixelRoutinesTest, SharpBilinearGivesEverySourcePixelTheSameShare) {
  for (const bool across : {true, false}) {
    const auto source = across ? Ramp(10, 1) : Ramp(1, 10);
    auto target = across ? NewBuffer(16, 1, SDL_PIXELFORMAT_RGB888)
                         : NewBuffer(1, 16, SDL_PIXELFORMAT_RGB888);
    StretchSharpBilinear(*source->Sdl(), *target->Sdl(),
                         SDL_Rect{0, 0, target->Width(), target->Height()});
    double share[10] = {};
    int blendsAtEdge[10] = {};
    for (int i = 0; i < 16; ++i) {
      const int red = across ? Red(*target, i, 0) : Red(*target, 0, i);
      const int first = red / 20;
      const double weight = (red % 20) / 20.0;
      share[first] += 1 - weight;
      if (first + 1 < 10) share[first + 1] += weight;
      blendsAtEdge[first] += red % 20 ? 1 : 0;
      EXPECT_LE(blendsAtEdge[first], 1) << "target pixel " << i;
    }
    for (int i = 1; i < 9; ++i) EXPECT_NEAR(share[i], 1.6, 0.3) << "source pixel " << i;
  }
}

}  // namespace
