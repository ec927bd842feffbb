// Tests of the display device: opening in both modes and the failure of each creation step,
// releasing and the surface count, presenting, the full-screen flip chain, the scaled play
// screen and its pointer mapping, colour keys and blits.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "DisplayFixture.h"
#include "content/TempDir.h"
#include "display/PictureBudget.h"

namespace {

// The option flags the program passes: DisplayMode 1 (windowed) or 2 (full screen).
constexpr uint32_t kWindowed = 1;
constexpr uint32_t kFullScreen = FullScreenFlag;

using Step = DisplayDevice::InitStep;

bool IsFullScreen(WindowHandle window) {
  return (SDL_GetWindowFlags(window->Sdl()) & SDL_WINDOW_FULLSCREEN) != 0;
}

void Fill(Surface* surface, const SDL_Rect* area, uint8_t r, uint8_t g, uint8_t b) {
  SDL_FillRect(surface->Sdl(), area, SDL_MapRGB(surface->Sdl()->format, r, g, b));
}

SDL_Color ColorAt(const Surface* surface, int x, int y) {
  SDL_Color color{0, 0, 0, 255};
  SDL_GetRGB(surface->Pixel(x, y), surface->Sdl()->format, &color.r, &color.g, &color.b);
  return color;
}

std::vector<uint8_t> Bytes(const Surface* surface) {
  const SDL_Surface* pixels = surface->Sdl();
  const auto* first = static_cast<const uint8_t*>(pixels->pixels);
  return std::vector<uint8_t>(first, first + static_cast<ptrdiff_t>(pixels->pitch) * pixels->h);
}

::testing::AssertionResult IsColor(SDL_Color color, uint8_t r, uint8_t g, uint8_t b) {
  if (color.r == r && color.g == g && color.b == b) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "(" << int{color.r} << ", " << int{color.g} << ", " << int{color.b} << ") instead of ("
         << int{r} << ", " << int{g} << ", " << int{b} << ")";
}

// Each pixel of a 32-bit back buffer encodes its own position.
void FillWithPositions(Surface* back) {
  SDL_Surface* pixels = back->Sdl();
  for (int y = 0; y < pixels->h; ++y) {
    auto* row =
        reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(pixels->pixels) + y * pixels->pitch);
    for (int x = 0; x < pixels->w; ++x) row[x] = static_cast<uint32_t>(x | y << 10) + (1u << 20);
  }
}

}  // namespace

class DisplayDeviceTest : public DisplayFixture {
 protected:
  // Screen pixels that do not show the play-screen pixel a click on them reports (black where
  // a click reaches nothing); the first three are reported.
  static int Mismatches(WindowHandle window, SDL_Surface* screen) {
    int mismatches = 0;
    for (int sy = 0; sy < screen->h; ++sy) {
      for (int sx = 0; sx < screen->w; ++sx) {
        const SDL_Color color = ScreenColor(screen, sx, sy);
        const uint32_t shown = static_cast<uint32_t>(color.r) << 16 | color.g << 8 | color.b;
        int32_t x = -1, y = -1;
        const bool inside = window->ToPlayScreen(sx, sy, x, y);
        const uint32_t expected = inside ? static_cast<uint32_t>(x | y << 10) + (1u << 20) : 0;
        if (shown != expected && mismatches++ < 3) {
          ADD_FAILURE() << "screen (" << sx << ", " << sy << ") shows 0x" << std::hex << shown
                        << ", expected 0x" << expected;
        }
      }
    }
    return mismatches;
  }
};

TEST_F(DisplayDeviceTest, WindowedInitMakesAClientSizedBackBufferInTheDesktopsFormat) {
  struct Case {
    uint32_t depth;
    int32_t countAfter;
  };
  // Each Init releases the one before, so the count goes on from the -1 a release leaves. The
  // depth chooses the full-screen mode only: a window always takes the desktop's format.
  const Case cases[] = {{16, 2}, {24, 1}, {32, 0}, {8, -1}};
  SDL_SetWindowSize(window->Sdl(), 600, 400);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.depth);
    ASSERT_EQ(device->Init(kWindowed, window, 640, 480, c.depth, 0), 1);
    EXPECT_EQ(LastError, 0);
    EXPECT_EQ(device->ready, 1);
    EXPECT_EQ(device->surfaceCount, c.countAfter);
    const Surface* back = device->ActiveBackBuffer();
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->Width(), 600);
    EXPECT_EQ(back->Height(), 400);
    EXPECT_EQ(back->Sdl()->format->format, Screen()->format->format);
    EXPECT_FALSE(IsFullScreen(window));
    int32_t x = 0, y = 0;
    ASSERT_TRUE(window->ToPlayScreen(17, 35, x, y));
    EXPECT_EQ(x, 17);
    EXPECT_EQ(y, 35);
  }
  EXPECT_TRUE(boxes.empty());
}

TEST_F(DisplayDeviceTest, FullScreenInitMakesAPlayScreenSizedFlipChain) {
  ASSERT_EQ(device->Init(kFullScreen, window, 640, 480, 16, 0), 1);
  EXPECT_EQ(device->surfaceCount, 2);
  EXPECT_TRUE(IsFullScreen(window));
  const Surface* back = device->ActiveBackBuffer();
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->Width(), 640);
  EXPECT_EQ(back->Height(), 480);
  EXPECT_EQ(back->Sdl()->format->format, SDL_PIXELFORMAT_RGB565);

  device->Release();
  EXPECT_FALSE(IsFullScreen(window));
  EXPECT_EQ(device->surfaceCount, -1);
}

TEST_F(DisplayDeviceTest, EachFailingCreationStepSetsItsCodeAndReleasesWhatWasMade) {
  struct Case {
    Step step;
    uint32_t flags;
    int32_t result;
    int32_t code;
    int32_t count;
  };
  // Nothing is counted when the video system is refused; otherwise its release leaves -1.
  const Case cases[] = {
      {Step::Video, kWindowed, 0, ErrorCreateDisplay, 0},
      {Step::Video, kFullScreen, 0, ErrorCreateDisplay, 0},
      {Step::CooperativeLevel, kWindowed, 0, ErrorCooperativeLevel, -1},
      {Step::CooperativeLevel, kFullScreen, 0, ErrorCooperativeLevel, -1},
      {Step::FullScreenMode, kFullScreen, 0, ErrorDisplayMode, -1},
      {Step::FullScreenMode, kWindowed, 1, 0, 2},
      {Step::PrimarySurface, kWindowed, 0, ErrorPrimarySurface, -1},
      {Step::PrimarySurface, kFullScreen, 0, ErrorPrimarySurface, -1},
      {Step::BackBuffer, kWindowed, 0, ErrorBackBuffer, -1},
      {Step::BackBuffer, kFullScreen, 0, ErrorBackBuffer, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "step " << static_cast<int>(c.step) << ", flags " << c.flags);
    device = std::make_unique<DisplayDevice>();
    LastError = 0;
    device->failingStep = c.step;
    EXPECT_EQ(device->Init(c.flags, window, 640, 480, 32, 0), c.result);
    EXPECT_EQ(LastError, c.code);
    EXPECT_EQ(device->surfaceCount, c.count);
    EXPECT_EQ(device->ready, c.result);
    EXPECT_EQ(device->ActiveBackBuffer() != nullptr, c.result == 1);
    EXPECT_EQ(IsFullScreen(window), c.result == 1 && c.flags == kFullScreen);
    device->Release();
  }
}

TEST_F(DisplayDeviceTest, RealRefusalsGiveTheCodeOfTheirStep) {
  const WindowHandle gone = CreatePlatformWindow("gone", 0, 0, 100, 100, true, Procedure);
  ASSERT_TRUE(DestroyWindow(gone));
  struct Case {
    const char* what;
    uint32_t flags;
    WindowHandle window;
    uint32_t depth;
    int32_t code;
  };
  const Case cases[] = {
      {"no window", kWindowed, nullptr, 32, ErrorCooperativeLevel},
      {"destroyed window", kFullScreen, gone, 32, ErrorCooperativeLevel},
      {"8 bits full screen", kFullScreen, window, 8, ErrorDisplayMode},
      {"15 bits full screen", kFullScreen, window, 15, ErrorDisplayMode},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LastError = 0;
    EXPECT_EQ(device->Init(c.flags, c.window, 640, 480, c.depth, 0), 0);
    EXPECT_EQ(LastError, c.code);
    EXPECT_EQ(device->ActiveBackBuffer(), nullptr);
    EXPECT_FALSE(IsFullScreen(window));
  }
}

TEST_F(DisplayDeviceTest, ARefusalBySdlWritesSdlsReasonOnItsOwnLine) {
  ShutdownPlatform();
  setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(device->Init(kWindowed, nullptr, 640, 480, 32, 0), 0);
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(LastError, ErrorCreateDisplay);
  EXPECT_EQ(said.rfind("Tarnwick: SDL_InitSubSystem: ", 0), 0u) << said;
  EXPECT_NE(said.find("no-such-driver"), std::string::npos) << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
}

TEST_F(DisplayDeviceTest, AlphaNeedsFullScreenAndEndsWithoutA3DDevice) {
  EXPECT_EQ(device->Init(AlphaFlag, window, 640, 480, 32, 0), 0);
  EXPECT_EQ(LastError, ErrorAlphaWindowed);
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(device->surfaceCount, 0);

  LastError = 0;
  EXPECT_EQ(device->Init(AlphaFlag | kFullScreen, window, 640, 480, 32, 0), 1);
  EXPECT_EQ(boxes, std::vector<std::string>{"DEBUG: 3DAlpha is on"});
  EXPECT_EQ(LastError, 0);
  EXPECT_EQ(device->ready, 1);
  EXPECT_EQ(device->surfaceCount, 2);

  // The box comes before anything is created.
  boxes.clear();
  auto refused = std::make_unique<DisplayDevice>();
  refused->failingStep = Step::Video;
  EXPECT_EQ(refused->Init(AlphaFlag | kFullScreen, window, 640, 480, 32, 0), 0);
  EXPECT_EQ(boxes, std::vector<std::string>{"DEBUG: 3DAlpha is on"});
  EXPECT_EQ(LastError, ErrorCreateDisplay);
}

TEST_F(DisplayDeviceTest, ReleaseIsSafeAtAnyTimeAndCountsEveryMemberDown) {
  device->Release();
  EXPECT_EQ(device->surfaceCount, 0);
  EXPECT_EQ(LastError, 0);

  ASSERT_EQ(device->Init(kWindowed, window, 640, 480, 16, 0), 1);
  device->Release();
  EXPECT_EQ(device->surfaceCount, -1);
  EXPECT_EQ(device->ready, 0);
  EXPECT_EQ(device->ActiveBackBuffer(), nullptr);
  device->Release();
  EXPECT_EQ(device->surfaceCount, -1);
  EXPECT_EQ(LastError, 0);
  EXPECT_EQ(device->LoadBitmap(0, SuitePath("g/rgb24.bmp").c_str()), nullptr);
}

TEST_F(DisplayDeviceTest, ReleaseWithALiveBitmapRefusesWithError8) {
  ASSERT_EQ(device->Init(kWindowed, window, 640, 480, 32, 0), 1);
  Surface* bitmap = device->LoadBitmap(0, SuitePath("g/rgb24.bmp").c_str());
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(device->surfaceCount, 3);

  device->Release();
  EXPECT_EQ(LastError, ErrorBuffersAlive);
  EXPECT_EQ(device->surfaceCount, 1);
  EXPECT_EQ(device->ready, 0);
  EXPECT_EQ(device->ActiveBackBuffer(), nullptr);
  device->Present(window);

  // The bitmap stays usable until its owner gives it back; then the release completes.
  EXPECT_EQ(DisplayDevice::GetSurfaceSize(bitmap).right, 127);
  device->ReleaseSurface(bitmap);
  EXPECT_EQ(device->surfaceCount, 0);
  device->Release();
  EXPECT_EQ(device->surfaceCount, -1);
  EXPECT_EQ(LastError, ErrorBuffersAlive);
}

TEST_F(DisplayDeviceTest, NoOtherDeviceOrOpeningTakesAGenerationAgain) {
  ASSERT_EQ(device->Init(kWindowed, window, 640, 480, 32, 0), 1);
  const uint64_t opened = device->generation;
  device.reset();
  device = std::make_unique<DisplayDevice>();
  const uint64_t made = device->generation;
  ASSERT_EQ(device->Init(kWindowed, window, 640, 480, 32, 0), 1);
  EXPECT_NE(made, opened);
  EXPECT_NE(device->generation, opened);
  EXPECT_NE(device->generation, made);
}

TEST_F(DisplayDeviceTest, TheDeviceNeverGivesBackItsOwnBuffers) {
  ASSERT_EQ(device->Init(kWindowed, window, 640, 480, 16, 0), 1);
  Surface* back = device->ActiveBackBuffer();
  device->ReleaseSurface(back);
  device->ReleaseSurface(nullptr);
  EXPECT_EQ(device->surfaceCount, 2);
  EXPECT_EQ(device->ActiveBackBuffer(), back);
  Fill(back, nullptr, 255, 0, 0);
  EXPECT_TRUE(IsColor(ColorAt(back, 5, 5), 255, 0, 0));
}

TEST_F(DisplayDeviceTest, APictureCountsInTheActiveBudgetUntilItIsGivenBack) {
  ASSERT_EQ(device->Init(kWindowed, window, 640, 480, 32, 0), 1);
  PictureBudget budget;
  Surface* loaded = device->LoadBitmap(0, SuitePath("g/rgb24.bmp").c_str());
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(budget.Charged(), 127 * 64);
  device->ReleaseSurface(loaded);
  EXPECT_EQ(budget.Charged(), 0);
}

TEST_F(DisplayDeviceTest, PresentShowsTheBackBufferInTheDepthOfTheMode) {
  // Full screen at 16 bits keeps only the top 5, 6 and 5 bits of a colour; the other depths,
  // and a window at any depth, show it exactly.
  ShutdownPlatform();
  OpenPlatform("offscreen");
  struct Case {
    uint32_t flags;
    uint32_t depth;
    uint8_t r, g, b;
  };
  const Case cases[] = {{kFullScreen, 16, 8, 12, 8},   {kFullScreen, 24, 15, 15, 15},
                        {kFullScreen, 32, 15, 15, 15}, {kWindowed, 16, 15, 15, 15},
                        {kWindowed, 24, 15, 15, 15},   {kWindowed, 32, 15, 15, 15}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flags == kWindowed ? "windowed" : "full screen");
    SCOPED_TRACE(c.depth);
    ASSERT_EQ(device->Init(c.flags, window, 640, 480, c.depth, 0), 1);
    const SDL_Rect square{100, 50, 20, 10};
    Fill(device->ActiveBackBuffer(), &square, 15, 15, 15);
    device->Present(window);
    EXPECT_TRUE(IsColor(ScreenColor(Screen(), 100, 50), c.r, c.g, c.b));
    EXPECT_TRUE(IsColor(ScreenColor(Screen(), 119, 59), c.r, c.g, c.b));
    EXPECT_TRUE(IsColor(ScreenColor(Screen(), 120, 59), 0, 0, 0));
    EXPECT_TRUE(IsColor(ScreenColor(Screen(), 639, 479), 0, 0, 0));
  }
}

TEST_F(DisplayDeviceTest, Every16BitPixelIsShownAsTheColourItStandsFor) {
  ShutdownPlatform();
  OpenPlatform("offscreen");
  ASSERT_EQ(device->Init(kFullScreen, window, 640, 480, 16, 0), 1);
  // All 65536 values of 5-6-5 in a 256 x 256 block; each must reach the window as the colour
  // SDL reads from it.
  SDL_Surface* buffer = device->ActiveBackBuffer()->Sdl();
  for (int y = 0; y < 256; ++y) {
    auto* row =
        reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(buffer->pixels) + y * buffer->pitch);
    for (int x = 0; x < 256; ++x) row[x] = static_cast<uint16_t>(y * 256 + x);
  }
  device->Present(window);
  int wrong = 0;
  for (int y = 0; y < 256; ++y) {
    for (int x = 0; x < 256; ++x) {
      SDL_Color expected{0, 0, 0, 255};
      SDL_GetRGB(static_cast<uint32_t>(y * 256 + x), buffer->format, &expected.r, &expected.g,
                 &expected.b);
      const SDL_Color shown = ScreenColor(Screen(), x, y);
      if (shown.r != expected.r || shown.g != expected.g || shown.b != expected.b) ++wrong;
    }
  }
  EXPECT_EQ(wrong, 0);
}

TEST_F(DisplayDeviceTest, WindowedPresentStretchesToAClientAreaOfAnotherSize) {
  SDL_SetWindowSize(window->Sdl(), 320, 240);
  ASSERT_EQ(device->Init(kWindowed, window, 640, 480, 32, 0), 1);
  const SDL_Rect leftHalf{0, 0, 160, 240};
  Fill(device->ActiveBackBuffer(), &leftHalf, 255, 0, 0);
  SDL_SetWindowSize(window->Sdl(), 640, 480);
  device->Present(window);
  SDL_Surface* screen = Screen();
  ASSERT_EQ(screen->w, 640);
  EXPECT_TRUE(IsColor(ScreenColor(screen, 319, 479), 255, 0, 0));
  EXPECT_TRUE(IsColor(ScreenColor(screen, 320, 0), 0, 0, 0));
  int32_t x = 0, y = 0;
  ASSERT_TRUE(window->ToPlayScreen(639, 479, x, y));
  EXPECT_EQ(x, 319);
  EXPECT_EQ(y, 239);
}

TEST_F(DisplayDeviceTest, PresentBeforeInitAndAfterReleaseLeavesTheWindowAlone) {
  SDL_Surface* screen = Screen();
  SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 0, 0, 255));
  device->Present(window);
  EXPECT_TRUE(IsColor(ScreenColor(Screen(), 10, 10), 0, 0, 255));

  ASSERT_EQ(device->Init(kWindowed, window, 640, 480, 32, 0), 1);
  device->Release();
  screen = Screen();
  SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 0, 0, 255));
  device->Present(window);
  EXPECT_TRUE(IsColor(ScreenColor(Screen(), 10, 10), 0, 0, 255));
}

TEST_F(DisplayDeviceTest, FullScreenFramesAlternateBetweenTwoBuffers) {
  ASSERT_EQ(device->Init(kFullScreen, window, 640, 480, 32, 0), 1);
  Surface* first = device->ActiveBackBuffer();
  Fill(first, nullptr, 255, 0, 0);
  device->Present(window);

  Surface* second = device->ActiveBackBuffer();
  EXPECT_NE(second, first);
  EXPECT_TRUE(IsColor(ColorAt(second, 320, 240), 0, 0, 0));
  Fill(second, nullptr, 0, 255, 0);
  device->Present(window);
  EXPECT_TRUE(IsColor(ScreenColor(Screen(), 512, 384), 0, 255, 0));

  // What a frame leaves undrawn is what this buffer held two frames before.
  EXPECT_EQ(device->ActiveBackBuffer(), first);
  EXPECT_TRUE(IsColor(ColorAt(first, 320, 240), 255, 0, 0));
  EXPECT_EQ(device->surfaceCount, 2);
}

TEST_F(DisplayDeviceTest, PlayScreenFitsTheScreenWithItsAspectKeptOrAtAWholeMultiple) {
  constexpr ScaleMode Fit = ScaleMode::SharpBilinear, Whole = ScaleMode::Integer;
  struct Case {
    int32_t screenWidth, screenHeight;
    ScaleMode mode;
    SurfaceRect area;
  };
  const Case cases[] = {
      {640, 480, Fit, {0, 0, 640, 480}},
      {1024, 768, Fit, {0, 0, 1024, 768}},
      {1280, 1024, Fit, {0, 32, 1280, 992}},
      {1920, 1080, Fit, {240, 0, 1680, 1080}},
      {800, 600, Fit, {0, 0, 800, 600}},
      {641, 480, Fit, {0, 0, 640, 480}},
      {320, 480, Fit, {0, 120, 320, 360}},
      {0, 768, Fit, {0, 0, 0, 0}},
      {1024, 768, Whole, {192, 144, 832, 624}},
      {3840, 2160, Whole, {640, 120, 3200, 2040}},
      {1280, 960, Whole, {0, 0, 1280, 960}},
      {320, 480, Whole, {0, 120, 320, 360}},
      {1024, 768, ScaleMode::Nearest, {0, 0, 1024, 768}},
  };
  for (const Case& c : cases) {
    const SurfaceRect area = FramePresenter::Place(c.screenWidth, c.screenHeight, 640, 480, c.mode);
    EXPECT_EQ(area, c.area) << c.screenWidth << "x" << c.screenHeight << " mode "
                            << static_cast<int>(c.mode);
  }
}

// Every screen pixel shows the play-screen pixel that a click on it reports, bars are black
// and clicks on them reach nothing; each play pixel's colour encodes its own position.
TEST_F(DisplayDeviceTest, ScaledFullScreenShowsEachPixelWhereClicksFindIt) {
  struct Case {
    int screenWidth, screenHeight;
    int cornerX, cornerY;  // a screen pixel showing the first board square's top-left pixel
  };
  // The dummy driver's desktop is 1024x768; the other sizes stand for other desktops.
  const Case cases[] = {
      {1024, 768, 28, 56}, {1280, 1024, 34, 102}, {1920, 1080, 279, 79}, {800, 600, 22, 44}};
  device->scaleMode = ScaleMode::Nearest;
  ASSERT_EQ(device->Init(kFullScreen, window, 640, 480, 32, 0), 1);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.screenWidth << "x" << c.screenHeight);
    if (c.screenWidth != 1024) {
      SDL_SetWindowFullscreen(window->Sdl(), 0);
      SDL_SetWindowSize(window->Sdl(), c.screenWidth, c.screenHeight);
    }
    FillWithPositions(device->ActiveBackBuffer());
    device->Present(window);
    SDL_Surface* screen = Screen();
    ASSERT_EQ(screen->w, c.screenWidth);
    ASSERT_EQ(screen->h, c.screenHeight);
    EXPECT_EQ(Mismatches(window, screen), 0);
    int32_t x = 0, y = 0;
    ASSERT_TRUE(window->ToPlayScreen(c.cornerX, c.cornerY, x, y));
    EXPECT_EQ(x, 17);
    EXPECT_EQ(y, 35);
    ASSERT_TRUE(window->ToPlayScreen(c.cornerX - 1, c.cornerY - 1, x, y));
    EXPECT_EQ(x, 16);
    EXPECT_EQ(y, 34);
  }
}

// The window surface and the renderer show the same picture: a window at scale 2, and full
// screen at the largest whole multiple (1 on the dummy driver's 1024x768 desktop).
TEST_F(DisplayDeviceTest, BothWaysOfPresentingShowWholeMultiplesWhereClicksFindThem) {
  for (const bool renderer : {false, true}) {
    for (const bool fullScreen : {false, true}) {
      SCOPED_TRACE(testing::Message() << "renderer " << renderer << ", full screen " << fullScreen);
      SDL_SetWindowSize(window->Sdl(), 1280, 960);
      window->SetScale(2);
      device->preferRenderer = renderer;
      device->scaleMode = ScaleMode::Integer;
      ASSERT_EQ(device->Init(fullScreen ? kFullScreen : kWindowed, window, 640, 480, 32, 0), 1);
      FillWithPositions(device->ActiveBackBuffer());
      device->Present(window);
      SDL_Surface* screen = Screen();
      ASSERT_EQ(screen->w, fullScreen ? 1024 : 1280);
      EXPECT_EQ(Mismatches(window, screen), 0);
      int32_t x = 0, y = 0;
      EXPECT_TRUE(window->ToPlayScreen(fullScreen ? 192 + 639 : 1279, fullScreen ? 144 : 0, x, y));
      EXPECT_EQ(x, 639);
      device->Release();
      SDL_SetWindowFullscreen(window->Sdl(), 0);
    }
  }
}

TEST_F(DisplayDeviceTest, AFullScreenModeOfThePlayScreenSizeIsUsedWhenTheDisplayHasOne) {
  ShutdownPlatform();
  // The offscreen driver offers any mode asked for.
  OpenPlatform("offscreen");
  ASSERT_EQ(device->Init(kFullScreen, window, 640, 480, 24, 0), 1);
  EXPECT_EQ(SDL_GetWindowFlags(window->Sdl()) & SDL_WINDOW_FULLSCREEN_DESKTOP,
            static_cast<Uint32>(SDL_WINDOW_FULLSCREEN));
  const SDL_Rect pixel{17, 35, 1, 1};
  Fill(device->ActiveBackBuffer(), &pixel, 0, 128, 255);
  device->Present(window);
  SDL_Surface* screen = Screen();
  ASSERT_EQ(screen->w, 640);
  ASSERT_EQ(screen->h, 480);
  EXPECT_TRUE(IsColor(ScreenColor(screen, 17, 35), 0, 128, 255));
  EXPECT_TRUE(IsColor(ScreenColor(screen, 18, 35), 0, 0, 0));
  int32_t x = 0, y = 0;
  ASSERT_TRUE(window->ToPlayScreen(17, 35, x, y));
  EXPECT_EQ(x, 17);
  EXPECT_EQ(y, 35);
}

class ColorKeyTest : public DisplayFixture {
 protected:
  void SetUp() override {
    DisplayFixture::SetUp();
    // Three pixels: pure green, pure red, pure blue.
    keys = scratch.PathOf("keys.bmp");
    ASSERT_TRUE(Convert({"xc:lime", "xc:red", "xc:blue", "+append", "BMP3:" + keys}));
  }

  TempDir scratch;
  std::string keys;
};

TEST_F(ColorKeyTest, ModesChooseTheDisplayFormatsMasksInOrderOfBits) {
  struct Depth {
    uint32_t depth;
    uint32_t green, blue, red;
  };
  const Depth depths[] = {{16, 0x07E0, 0x001F, 0xF800},
                          {24, 0x00FF00, 0x0000FF, 0xFF0000},
                          {32, 0x0000FF00, 0x000000FF, 0x00FF0000}};
  // Each depth in full screen, where it sets the format of the buffers and pictures.
  ShutdownPlatform();
  OpenPlatform("offscreen");
  for (const Depth& d : depths) {
    SCOPED_TRACE(d.depth);
    ASSERT_EQ(device->Init(kFullScreen, window, 640, 480, d.depth, 0), 1);
    const std::pair<uint32_t, uint32_t> modes[] = {{KeyGreen, d.green},
                                                   {KeyGreen | KeyBlue, d.green},
                                                   {KeyBlue, d.blue},
                                                   {KeyBlue | KeyRed, d.blue},
                                                   {KeyRed, d.red},
                                                   {KeyRed | KeyBlack, d.red},
                                                   {KeyBlack, 0},
                                                   {0, 0},
                                                   {16, 16},
                                                   {0x123450, 0x123450}};
    for (const auto& [mode, key] : modes) {
      Surface* surface = device->LoadBitmap(0, keys.c_str());
      ASSERT_NE(surface, nullptr);
      device->SetColorKeyMode(mode);
      device->ApplyColorKey(surface);
      EXPECT_TRUE(surface->HasColorKey());
      EXPECT_EQ(surface->ColorKey(), key) << "mode " << mode;
      device->ReleaseSurface(surface);
    }
    device->ApplyColorKey(nullptr);
  }
}

TEST_F(ColorKeyTest, WithoutADisplayFormatEveryMaskIsZero) {
  Surface own(SdlSurfacePtr(SDL_CreateRGBSurfaceWithFormat(0, 2, 2, 16, SDL_PIXELFORMAT_RGB565)));
  device->SetColorKeyMode(KeyGreen);
  device->ApplyColorKey(&own);
  EXPECT_EQ(own.ColorKey(), 0u);
}

TEST_F(ColorKeyTest, KeyedBlitsLeaveKeyPixelsOutOnlyWhenAsked) {
  for (uint32_t depth : {16u, 24u, 32u}) {
    SCOPED_TRACE(depth);
    ASSERT_EQ(device->Init(kWindowed, window, 640, 480, depth, 0), 1);
    Surface* back = device->ActiveBackBuffer();
    Fill(back, nullptr, 64, 64, 64);
    const SDL_Color grey = ColorAt(back, 0, 0);
    Surface* keyed = device->LoadBitmap(0, keys.c_str());
    Surface* plain = device->LoadBitmap(0, keys.c_str());
    ASSERT_NE(keyed, nullptr);
    ASSERT_NE(plain, nullptr);
    device->SetColorKeyMode(KeyGreen);
    device->ApplyColorKey(keyed);
    // A key chosen later does not change surfaces keyed before.
    device->SetColorKeyMode(KeyRed);

    const SurfaceRect picture{0, 0, 3, 1};
    device->Blit({10, 10, 13, 11}, keyed, picture, BlitWait | BlitKeySource);
    device->Blit({10, 20, 13, 21}, keyed, picture, BlitWait);
    device->Blit({10, 30, 13, 31}, plain, picture, BlitWait | BlitKeySource);
    // Twice over the same place, so that an encoded run is used again.
    device->Blit({10, 40, 13, 41}, keyed, picture, BlitWait | BlitKeySource);
    device->Blit({10, 40, 13, 41}, keyed, picture, BlitWait | BlitKeySource);
    // Part of a picture: its red pixel alone, then its blue one alone.
    device->Blit({11, 50, 12, 51}, keyed, {1, 0, 2, 1}, BlitWait | BlitKeySource);
    device->Blit({11, 60, 12, 61}, keyed, {2, 0, 3, 1}, BlitWait | BlitKeySource);

    for (int y : {10, 40}) {
      EXPECT_TRUE(IsColor(ColorAt(back, 10, y), grey.r, grey.g, grey.b));
      EXPECT_TRUE(IsColor(ColorAt(back, 11, y), 255, 0, 0));
      EXPECT_TRUE(IsColor(ColorAt(back, 12, y), 0, 0, 255));
    }
    for (int y : {20, 30}) {
      EXPECT_TRUE(IsColor(ColorAt(back, 10, y), 0, 255, 0));
      EXPECT_TRUE(IsColor(ColorAt(back, 11, y), 255, 0, 0));
    }
    for (const auto& [y, r, b] : {std::tuple{50, 255, 0}, std::tuple{60, 0, 255}}) {
      EXPECT_TRUE(IsColor(ColorAt(back, 10, y), grey.r, grey.g, grey.b));
      EXPECT_TRUE(IsColor(ColorAt(back, 11, y), r, 0, b));
      EXPECT_TRUE(IsColor(ColorAt(back, 12, y), grey.r, grey.g, grey.b));
    }
    device->ReleaseSurface(keyed);
    device->ReleaseSurface(plain);
  }
}

TEST_F(ColorKeyTest, BlitsThatAreNotOneToOneOrDoNotFitAreRefused) {
  ASSERT_EQ(device->Init(kWindowed, window, 640, 480, 32, 0), 1);
  Surface* picture = device->LoadBitmap(0, keys.c_str());
  ASSERT_NE(picture, nullptr);
  Surface* back = device->ActiveBackBuffer();
  const std::vector<uint8_t> before = Bytes(back);
  const std::pair<SurfaceRect, SurfaceRect> refused[] = {
      {{10, 10, 14, 11}, {0, 0, 4, 1}},      // source wider than the picture
      {{10, 10, 13, 12}, {0, 0, 3, 2}},      // source taller than the picture
      {{-1, 10, 2, 11}, {0, 0, 3, 1}},       // left of the back buffer
      {{638, 479, 641, 480}, {0, 0, 3, 1}},  // right of the back buffer
      {{10, 480, 13, 481}, {0, 0, 3, 1}},    // below the back buffer
      {{10, 10, 16, 12}, {0, 0, 3, 1}},      // a stretch
      {{10, 10, 10, 10}, {0, 0, 0, 0}},      // nothing
      {{13, 10, 10, 11}, {3, 0, 0, 1}},      // turned round
      {{INT32_MIN, 0, INT32_MAX, 1}, {0, 0, 3, 1}},
  };
  for (const auto& [destination, source] : refused) {
    device->Blit(destination, picture, source, BlitWait);
    device->Blit(destination, picture, source, BlitWait | BlitKeySource);
  }
  device->Blit({0, 0, 3, 1}, nullptr, {0, 0, 3, 1}, BlitWait);
  device->Blit({0, 0, 3, 1}, back, {0, 0, 3, 1}, BlitWait);
  EXPECT_EQ(Bytes(back), before);

  device->Blit({637, 479, 640, 480}, picture, {0, 0, 3, 1}, BlitWait);
  EXPECT_TRUE(IsColor(ColorAt(back, 639, 479), 0, 0, 255));

  DisplayDevice unopened;
  unopened.Blit({0, 0, 3, 1}, picture, {0, 0, 3, 1}, BlitWait);
  EXPECT_EQ(unopened.ActiveBackBuffer(), nullptr);
  device->ReleaseSurface(picture);
}
