// The frame-rate line: azure letters on an opaque black box at its place in the back buffer.
#include <algorithm>

#include "DisplayFixture.h"
#include "display/TextRenderer.h"

namespace {

class TextTest : public DisplayFixture {
 protected:
  // Counts the pixels of a colour within a rectangle of the back buffer.
  int Count(int left, int top, int right, int bottom, SDL_Color wanted) {
    SDL_Surface* buffer = device->ActiveBackBuffer()->Sdl();
    int count = 0;
    for (int y = top; y < bottom; ++y) {
      for (int x = left; x < right; ++x) {
        const SDL_Color c = ScreenColor(buffer, x, y);
        if (c.r == wanted.r && c.g == wanted.g && c.b == wanted.b) ++count;
      }
    }
    return count;
  }
};

TEST_F(TextTest, LineIsAzureOnBlackFromItsCorner) {
  ShutdownPlatform();
  OpenPlatform("offscreen");
  for (uint32_t depth : {16u, 24u, 32u}) {
    ASSERT_EQ(device->Init(FullScreenFlag, window, 640, 480, depth, 0), 1);
    SDL_Surface* buffer = device->ActiveBackBuffer()->Sdl();
    SDL_FillRect(buffer, nullptr, SDL_MapRGB(buffer->format, 255, 255, 255));
    device->DrawText(0, 5, "FPS: 60   -- Press F12 to exit", 0x00FF7F00, 0);
    const SDL_Color white{255, 255, 255, 255};
    const SDL_Color black{0, 0, 0, 255};
    // Above the line and beyond its end the buffer keeps its white.
    EXPECT_EQ(Count(0, 0, 640, 5, white), 640 * 5) << depth;
    EXPECT_EQ(Count(400, 5, 640, 20, white), 240 * 15) << depth;
    // The line's box is opaque: no white left in it, black behind the letters, and azure
    // letters (16-bit keeps 5-6-5 of the colour).
    EXPECT_EQ(Count(0, 5, 150, 16, white), 0) << depth;
    EXPECT_GT(Count(0, 5, 150, 16, black), 500) << depth;
    const SDL_Color azure = depth == 16 ? SDL_Color{0, 125, 255, 255} : SDL_Color{0, 127, 255, 255};
    EXPECT_GT(Count(0, 5, 150, 16, azure), 40) << depth;
    device->Release();
  }
}

TEST_F(TextTest, AChangedNumberIsDrawnAnew) {
  ASSERT_EQ(device->Init(1, window, 640, 480, 32, 0), 1);
  device->DrawText(0, 5, "FPS: 1   -- Press F12 to exit", 0x00FF7F00, 0);
  std::vector<uint32_t> first;
  for (int x = 0; x < 200; ++x) first.push_back(device->ActiveBackBuffer()->Pixel(x, 10));
  device->DrawText(0, 5, "FPS: 60   -- Press F12 to exit", 0x00FF7F00, 0);
  std::vector<uint32_t> second;
  for (int x = 0; x < 200; ++x) second.push_back(device->ActiveBackBuffer()->Pixel(x, 10));
  EXPECT_NE(first, second);
}

TEST_F(TextTest, AMissingFontIsReportedOnceAndDrawsNothing) {
  ASSERT_EQ(device->Init(1, window, 640, 480, 32, 0), 1);
  SDL_Surface* buffer = device->ActiveBackBuffer()->Sdl();
  ::testing::internal::CaptureStderr();
  TextRenderer text("/nonexistent/font.ttf");
  EXPECT_FALSE(text.Draw(buffer, 0, 5, "FPS: 1", 0x00FF7F00, 0));
  EXPECT_FALSE(text.Draw(buffer, 0, 5, "FPS: 2", 0x00FF7F00, 0));
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(said.rfind("Tarnwick: cannot open the font /nonexistent/font.ttf", 0), 0u) << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  EXPECT_EQ(Count(0, 0, 640, 480, SDL_Color{0, 0, 0, 255}), 640 * 480);
}

}  // namespace
