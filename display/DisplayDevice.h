// DisplayDevice: the play screen's display. It opens the main window's drawing in windowed or
// full-screen mode at 16, 24 or 32 bits, keeps the back buffer that frames are composed into,
// presents finished frames, and makes and counts the bitmap surfaces of the game's pictures.
// This header includes no SDL header: the content and board code use it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "display/FramePresenter.h"
#include "display/Surface.h"
#include "platform/Window.h"

class TextRenderer;

// Option flags of Init.
constexpr uint32_t FullScreenFlag = 2;
constexpr uint32_t SystemMemoryFlag = 16;
constexpr uint32_t AlphaFlag = 32;

// Colour-key modes of SetColorKeyMode; any other value is taken as a raw pixel value.
constexpr uint32_t KeyGreen = 1;
constexpr uint32_t KeyBlue = 2;
constexpr uint32_t KeyRed = 4;
constexpr uint32_t KeyBlack = 8;

// Blit flags: wait for the device (always), and honour the source's colour key.
constexpr uint32_t BlitWait = 0x1000000;
constexpr uint32_t BlitKeySource = 0x8000;

class DisplayDevice {
 public:
  DisplayDevice();
  virtual ~DisplayDevice();
  DisplayDevice(const DisplayDevice&) = delete;
  DisplayDevice& operator=(const DisplayDevice&) = delete;

  // Opening and closing: Init returns 1, or 0 with LastError set; Release may run at any time.
  int32_t Init(uint32_t flags, WindowHandle window, uint32_t width, uint32_t height,
               uint32_t bitsPerPixel, uint32_t refreshRate);
  void Release();
  void Present(WindowHandle window);

  // Bitmap surfaces: loaded from .bmp files into the display's pixel format (within the active
  // PictureBudget, when there is one), counted in surfaceCount, and given back through
  // ReleaseSurface by their owner.
  Surface* LoadBitmap(uint32_t flags, const char* path);
  void ReleaseSurface(Surface* surface);
  static SurfaceRect GetSurfaceSize(const Surface* surface);

  // Transparent colour: choose the key, then apply it to the surfaces that are to have it.
  void SetColorKeyMode(uint32_t mode);
  void ApplyColorKey(Surface* surface);

  // Frames that would show what the screen shows already are skipped. A frame is known by the
  // key of the values it was composed from: Present shows the back buffer, RememberShown
  // records its key, and the screen counts as showing that key until the window reports its
  // picture spoiled or the device is opened or released.
  using FrameKey = std::vector<int64_t>;
  bool IsShowing(const FrameKey& key) const;
  void RememberShown(const FrameKey& key);

  // Frame drawing: the buffer every frame is composed into, one-to-one copies into it (false
  // when the copy was refused and nothing drawn), black filling, and filling with a colour
  // (0x00BBGGRR) cut to the buffer.
  Surface* ActiveBackBuffer();
  bool Blit(const SurfaceRect& destination, Surface* source, const SurfaceRect& sourceRect,
            uint32_t flags);
  void Clear(const SurfaceRect& area);
  void Fill(const SurfaceRect& area, uint32_t color);

  // Pictures the frame composition makes for itself from loaded ones: black, in the format of
  // the back buffer, not counted (their owner frees them), and copies into them by the same
  // rules as into the back buffer.
  std::unique_ptr<Surface> NewPicture(int32_t width, int32_t height);
  bool BlitInto(Surface& target, const SurfaceRect& destination, Surface* source,
                const SurfaceRect& sourceRect, uint32_t flags);
  // One line of text at x, y in the back buffer, opaque behind the letters; colours are
  // 0x00BBGGRR. Returns the area drawn, empty when no usable font drew anything.
  SurfaceRect DrawText(int32_t x, int32_t y, const std::string& text, uint32_t textColor,
                       uint32_t backgroundColor);

  // Live surfaces made through the device: its own buffers and the bitmaps. Each release
  // takes one off, the hold on the video system included, so a complete release leaves -1.
  int32_t surfaceCount = 0;
  // 1 between a successful Init and the next Release.
  int32_t ready = 0;
  // Frames presented since the device was made, for measuring.
  uint64_t framesPresented = 0;
  // A number of the whole process that each device takes when made and again at each Init
  // and Release: the buffers of one number are the same buffers throughout, and no other
  // device or opening has it.
  uint64_t generation = 0;

  // How full screen scales the play screen; set before Init.
  ScaleMode scaleMode = ScaleMode::SharpBilinear;

  // Test seam: the creation step of Init that fails as if the system had refused it.
  enum class InitStep { None, Video, CooperativeLevel, FullScreenMode, PrimarySurface, BackBuffer };
  InitStep failingStep = InitStep::None;
  // Test seam: present through SDL's renderer even where the window has a surface of its own.
  bool preferRenderer = false;

 private:
  // Sets LastError after releasing what Init made; `call` names the SDL call that refused.
  int32_t Fail(int32_t code, const char* call);
  bool Refused(InitStep step) const { return failingStep == step; }
  bool EnterFullScreen(uint32_t width, uint32_t height, uint32_t refreshRate);
  void LeaveFullScreen();
  bool OwnBuffer(const Surface* surface) const;

  // The video system, held from Init until a complete Release, and the window drawn into.
  bool videoHeld_ = false;
  WindowHandle window_ = nullptr;
  bool fullScreen_ = false;
  // The primary surface: the presenter, opened on the window, and whether it is counted.
  FramePresenter presenter_;
  bool primarySurface_ = false;
  // Full screen: the flip chain. frontBuffer_ is shown and belongs to the primary surface;
  // backBuffer_ is drawn into; Present swaps them.
  std::unique_ptr<Surface> frontBuffer_;
  std::unique_ptr<Surface> backBuffer_;
  // Windowed: the back buffer, of the window's client size in play-screen pixels.
  std::unique_ptr<Surface> windowedBackBuffer_;
  // SDL pixel format of the buffers and bitmaps, chosen by the colour depth at Init.
  uint32_t pixelFormat_ = 0;
  uint32_t colorKey_ = 0;
  // The key of the frame on screen, and the window's spoil count when it was shown.
  FrameKey shownKey_;
  uint64_t shownSpoiled_ = 0;
  bool showing_ = false;
  // Opened on the first line of text.
  std::unique_ptr<TextRenderer> text_;
};

// The one display device, made at start-up and destroyed by Shutdown after everything that
// holds a surface of it.
extern std::unique_ptr<DisplayDevice> Display;
