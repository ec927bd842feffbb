// Window: a top-level SDL window with the procedure that receives its messages, and the
// mapping from window pixels to play-screen pixels that pointer messages carry.
#pragma once

#include <cstdint>

#include "platform/Message.h"

struct SDL_Window;

class Window {
 public:
  using Procedure = int64_t (*)(WindowHandle window, uint32_t message, uint64_t wParam,
                                int64_t lParam);

  Window(SDL_Window* window, Procedure windowProcedure);
  ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  SDL_Window* Sdl() const { return window_; }
  uint32_t Id() const;
  Procedure procedure() const { return procedure_; }

  // Window units to a play-screen pixel across and down: the window shows each pixel of the
  // play screen as a block of this many units a side (1 until set).
  void SetScale(int scale);
  int Scale() const { return scale_; }

  // Where the play screen of logicalWidth x logicalHeight pixels is shown in the window
  // (x, y, width, height in window pixels). Until set, the play screen is the window's
  // client area at one to one.
  // A coupling across layers: besides the window's creation and scale and the end of full
  // screen (display/DisplayDevice.cpp), each present sets it once the frame is shown
  // (display/FramePresenter.cpp), and the message source maps the pointer by it
  // (SdlMessageSource.cpp, through ToPlayScreen): input goes by where the last frame stood.
  void SetPlayArea(int x, int y, int width, int height, int logicalWidth, int logicalHeight);
  // Maps a window pixel to the play screen, rounding down; true when it lies on the play screen.
  // For a pixel outside it, false, with x or y beyond an edge (below 0, or at or past the width
  // or height). While the play area has no width or height: false, x and y left as they were.
  bool ToPlayScreen(int windowX, int windowY, int32_t& x, int32_t& y) const;

  // The window system may have spoiled the picture in the window (uncovered, resized, shown
  // again, focus moved): each such event is counted, so that whoever presents into the window
  // knows to present a whole frame again.
  void Spoil() { ++spoiled_; }
  uint64_t Spoiled() const { return spoiled_; }

 private:
  SDL_Window* window_;
  Procedure procedure_;
  int scale_ = 1;
  int areaX_ = 0, areaY_ = 0, areaWidth_ = 0, areaHeight_ = 0;
  int logicalWidth_ = 0, logicalHeight_ = 0;
  uint64_t spoiled_ = 0;
};

// The program's main window, where the play screen is shown and whose keys end the program;
// set when it is created, never cleared.
extern WindowHandle MainWindow;
