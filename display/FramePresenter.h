// FramePresenter: how a finished frame reaches the window, scaled to the window's pixels.
// Two ways behind one short list of calls: the window's own surface, which SDL shows through
// shared memory on X11 (measured cheaper there than any renderer, and never tied to vsync);
// and, where SDL offers no such surface (Wayland), SDL's renderer with one streaming texture,
// on the GPU where there is one. Frames themselves are composed elsewhere, in memory.
#pragma once

#include <cstdint>
#include <memory>

#include "display/Surface.h"
#include "platform/Window.h"

struct SDL_Renderer;
struct SDL_Texture;

// How a full screen shows the play screen: sharp-bilinear fitted to the screen (every source
// pixel the same size, edges blended over one screen pixel), the largest whole multiple that
// fits (wider bars), or nearest-neighbour fitted to the screen.
enum class ScaleMode { SharpBilinear, Integer, Nearest };

class FramePresenter {
 public:
  FramePresenter();
  ~FramePresenter();
  FramePresenter(const FramePresenter&) = delete;
  FramePresenter& operator=(const FramePresenter&) = delete;

  // Opening on a window: its own surface where SDL has one and a renderer is not asked for,
  // otherwise a renderer. False, with SDL's reason set, when neither can be had; `call` then
  // names the SDL call that refused. Close lets go of whatever Open took.
  bool Open(WindowHandle window, bool preferRenderer, const char** call);
  void Close();
  bool IsOpen() const { return window_ != nullptr; }
  bool UsesRenderer() const { return renderer_ != nullptr; }

  // The pixel format frames are best composed in for a window: the window surface's own, or
  // X-8-8-8 for the renderer's texture.
  uint32_t WindowFormat() const;
  // The window's drawing area in its real pixels.
  void OutputSize(int& width, int& height) const;
  // Blackens the whole window.
  void Clear();

  // Shows the frame: windowed across the whole drawing area, in full screen placed by the
  // scale mode; then tells the window where the play screen stands, for the pointer.
  void Show(const Surface& frame, bool fullScreen, ScaleMode mode);

  // Where a play screen of playWidth x playHeight stands on an output of the given size in
  // full screen: fitted with its aspect kept, or at the largest whole multiple that fits
  // (fitted when not even one fits), centred.
  static SurfaceRect Place(int32_t outputWidth, int32_t outputHeight, int32_t playWidth,
                           int32_t playHeight, ScaleMode mode);

 private:
  void ShowOnSurface(const Surface& frame, const SurfaceRect& area, bool smooth);
  void ShowWithRenderer(const Surface& frame, const SurfaceRect& area, bool smooth);
  // Tells the window where the play screen stands, from output pixels to window units.
  void MarkPlayArea(const SurfaceRect& area, int playWidth, int playHeight) const;

  WindowHandle window_ = nullptr;
  // Surface way: the frame converted to the window's format, the source of scaled pictures.
  std::unique_ptr<Surface> windowFormatFrame_;
  // Renderer way: the renderer, the streaming texture of the frame's size, and the frame
  // scaled up by a whole factor for the linear step of sharp-bilinear scaling.
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  SDL_Texture* prescaled_ = nullptr;
  int prescale_ = 0;
};
