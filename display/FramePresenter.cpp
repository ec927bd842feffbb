// FramePresenter: the window surface and the renderer, and where the play screen stands.
#include "display/FramePresenter.h"

#include <SDL.h>

#include <algorithm>

#include "display/PixelRoutines.h"
#include "platform/Platform.h"

namespace {

// The renderer's texture format: what the window surfaces of X11 and Wayland use too.
constexpr uint32_t kTextureFormat = SDL_PIXELFORMAT_RGB888;

}  // namespace

FramePresenter::FramePresenter() = default;

FramePresenter::~FramePresenter() { Close(); }

bool FramePresenter::Open(WindowHandle window, bool preferRenderer, const char** call) {
  Close();
  SDL_Window* sdlWindow = window->Sdl();
  if (!preferRenderer && SDL_GetWindowSurface(sdlWindow)) {
    window_ = window;
    return true;
  }
  // No vsync: the frame loop paces itself, and a present that waits for the screen would
  // quantise every lower frame-rate cap.
  renderer_ = SDL_CreateRenderer(sdlWindow, -1, 0);
  if (!renderer_) {
    *call = "SDL_CreateRenderer";
    return false;
  }
  window_ = window;
  return true;
}

void FramePresenter::Close() {
  // A renderer goes with its textures; a window already destroyed took its renderer along.
  if (renderer_ && IsWindow(window_)) SDL_DestroyRenderer(renderer_);
  renderer_ = nullptr;
  texture_ = nullptr;
  prescaled_ = nullptr;
  prescale_ = 0;
  windowFormatFrame_.reset();
  window_ = nullptr;
}

uint32_t FramePresenter::WindowFormat() const {
  if (renderer_ || !IsWindow(window_)) return kTextureFormat;
  const SDL_Surface* screen = SDL_GetWindowSurface(window_->Sdl());
  return screen ? screen->format->format : kTextureFormat;
}

void FramePresenter::OutputSize(int& width, int& height) const {
  width = height = 0;
  if (!IsWindow(window_)) return;
  if (renderer_) {
    SDL_GetRendererOutputSize(renderer_, &width, &height);
    return;
  }
  if (const SDL_Surface* screen = SDL_GetWindowSurface(window_->Sdl())) {
    width = screen->w;
    height = screen->h;
  }
}

void FramePresenter::Show(const Surface& frame, bool fullScreen, ScaleMode mode) {
  if (!IsWindow(window_)) return;
  int width = 0, height = 0;
  OutputSize(width, height);
  if (width <= 0 || height <= 0) return;
  const SurfaceRect area = fullScreen ? Place(width, height, frame.Width(), frame.Height(), mode)
                                      : SurfaceRect{0, 0, width, height};
  const bool smooth = fullScreen && mode == ScaleMode::SharpBilinear;
  if (renderer_) {
    ShowWithRenderer(frame, area, smooth);
  } else {
    ShowOnSurface(frame, area, smooth);
  }
  MarkPlayArea(area, frame.Width(), frame.Height());
}

void FramePresenter::ShowOnSurface(const Surface& frame, const SurfaceRect& area, bool smooth) {
  SDL_Surface* screen = SDL_GetWindowSurface(window_->Sdl());
  if (!screen) return;
  const SDL_Rect at = ToSdl(area);
  SDL_Surface* source = frame.Sdl();
  FillBars(*screen, at);
  if (at.w == source->w && at.h == source->h) {
    SDL_Rect to = at;
    if (!ConvertFrame(*source, *screen, at.x, at.y)) SDL_BlitSurface(source, nullptr, screen, &to);
  } else if (at.w > 0 && at.h > 0) {
    // Converted once at the frame's size, then scaled within one format.
    const uint32_t screenFormat = screen->format->format;
    if (source->format->format != screenFormat) {
      if (!windowFormatFrame_ || windowFormatFrame_->Format() != screenFormat ||
          windowFormatFrame_->Width() != source->w || windowFormatFrame_->Height() != source->h) {
        windowFormatFrame_ = NewBuffer(source->w, source->h, screenFormat);
        if (!windowFormatFrame_) return;
      }
      if (!ConvertFrame(*source, *windowFormatFrame_->Sdl(), 0, 0)) {
        SDL_BlitSurface(source, nullptr, windowFormatFrame_->Sdl(), nullptr);
      }
      source = windowFormatFrame_->Sdl();
    }
    if (smooth) {
      StretchSharpBilinear(*source, *screen, at);
    } else {
      Stretch(*source, *screen, at);
    }
  }
  SDL_UpdateWindowSurface(window_->Sdl());
}

void FramePresenter::ShowWithRenderer(const Surface& frame, const SurfaceRect& area, bool smooth) {
  SDL_Surface* source = frame.Sdl();
  int textureWidth = 0, textureHeight = 0;
  if (texture_) SDL_QueryTexture(texture_, nullptr, nullptr, &textureWidth, &textureHeight);
  if (!texture_ || textureWidth != source->w || textureHeight != source->h) {
    if (texture_) SDL_DestroyTexture(texture_);
    if (prescaled_) SDL_DestroyTexture(prescaled_);
    prescaled_ = nullptr;
    texture_ = SDL_CreateTexture(renderer_, kTextureFormat, SDL_TEXTUREACCESS_STREAMING, source->w,
                                 source->h);
    if (!texture_) return;
    SDL_SetTextureScaleMode(texture_, SDL_ScaleModeNearest);
  }
  void* pixels = nullptr;
  int pitch = 0;
  if (SDL_LockTexture(texture_, nullptr, &pixels, &pitch) != 0) return;
  const SdlSurfacePtr target(
      SDL_CreateRGBSurfaceWithFormatFrom(pixels, source->w, source->h, 32, pitch, kTextureFormat));
  if (!target || !ConvertFrame(*source, *target, 0, 0)) {
    SDL_ConvertPixels(source->w, source->h, source->format->format, source->pixels, source->pitch,
                      kTextureFormat, pixels, pitch);
  }
  SDL_UnlockTexture(texture_);

  // Sharp-bilinear: up by the next whole factor with nearest-neighbour into a texture of its
  // own, which is then drawn to the area with linear filtering.
  SDL_Texture* shown = texture_;
  const int width = area.right - area.left, height = area.bottom - area.top;
  if (smooth && (width % source->w != 0 || height % source->h != 0)) {
    const int factor =
        std::max((width + source->w - 1) / source->w, (height + source->h - 1) / source->h);
    if (!prescaled_ || prescale_ != factor) {
      if (prescaled_) SDL_DestroyTexture(prescaled_);
      prescaled_ = SDL_CreateTexture(renderer_, kTextureFormat, SDL_TEXTUREACCESS_TARGET,
                                     source->w * factor, source->h * factor);
      prescale_ = factor;
      if (prescaled_) SDL_SetTextureScaleMode(prescaled_, SDL_ScaleModeLinear);
    }
    if (prescaled_ && SDL_SetRenderTarget(renderer_, prescaled_) == 0) {
      SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
      SDL_SetRenderTarget(renderer_, nullptr);
      shown = prescaled_;
    }
  }
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  const SDL_Rect to = ToSdl(area);
  SDL_RenderCopy(renderer_, shown, nullptr, &to);
  SDL_RenderPresent(renderer_);
}

void FramePresenter::MarkPlayArea(const SurfaceRect& area, int playWidth, int playHeight) const {
  // Pointer events come in window units, which on a dense Wayland output are several pixels.
  // The message source maps them by this area until the next present (Window::SetPlayArea).
  int pixelsWide = 0, pixelsHigh = 0, unitsWide = 0, unitsHigh = 0;
  OutputSize(pixelsWide, pixelsHigh);
  SDL_GetWindowSize(window_->Sdl(), &unitsWide, &unitsHigh);
  if (pixelsWide <= 0 || pixelsHigh <= 0) return;
  const auto acrossUnits = [&](int32_t x) {
    return static_cast<int>(int64_t{x} * unitsWide / pixelsWide);
  };
  const auto downUnits = [&](int32_t y) {
    return static_cast<int>(int64_t{y} * unitsHigh / pixelsHigh);
  };
  const int left = acrossUnits(area.left), top = downUnits(area.top);
  window_->SetPlayArea(left, top, acrossUnits(area.right) - left, downUnits(area.bottom) - top,
                       playWidth, playHeight);
}

SurfaceRect FramePresenter::Place(int32_t outputWidth, int32_t outputHeight, int32_t playWidth,
                                  int32_t playHeight, ScaleMode mode) {
  if (outputWidth <= 0 || outputHeight <= 0 || playWidth <= 0 || playHeight <= 0) return {};
  int64_t width = outputWidth, height = outputHeight;
  const int32_t factor = std::min(outputWidth / playWidth, outputHeight / playHeight);
  if (mode == ScaleMode::Integer && factor >= 1) {
    width = int64_t{playWidth} * factor;
    height = int64_t{playHeight} * factor;
  } else if (int64_t{outputWidth} * playHeight <= int64_t{outputHeight} * playWidth) {
    height = int64_t{outputWidth} * playHeight / playWidth;
  } else {
    width = int64_t{outputHeight} * playWidth / playHeight;
  }
  const auto left = static_cast<int32_t>((outputWidth - width) / 2);
  const auto top = static_cast<int32_t>((outputHeight - height) / 2);
  return SurfaceRect{left, top, left + static_cast<int32_t>(width),
                     top + static_cast<int32_t>(height)};
}
