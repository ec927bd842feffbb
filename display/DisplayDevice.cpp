// DisplayDevice: the play screen on SDL. Opening and full screen, the buffers and bitmaps in
// the chosen pixel format, and the cache of the frame on screen; the pixel work is in
// PixelRoutines, and how a finished frame reaches the window in FramePresenter.
#include "display/DisplayDevice.h"

#include <SDL.h>

#include <climits>
#include <cstring>
#include <string>
#include <utility>

#include "display/BitmapFile.h"
#include "display/PictureBudget.h"
#include "display/PixelRoutines.h"
#include "display/TextRenderer.h"
#include "platform/Errors.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"
#include "platform/ProgramOutput.h"
#include "platform/StopSignals.h"

namespace {

// 16 bits are 5-6-5, 24 bits packed B, G, R bytes, 32 bits X-8-8-8.
uint32_t FormatForDepth(uint32_t bitsPerPixel) {
  switch (bitsPerPixel) {
    case 16:
      return SDL_PIXELFORMAT_RGB565;
    case 24:
      return SDL_PIXELFORMAT_BGR24;
    case 32:
      return SDL_PIXELFORMAT_RGB888;
    default:
      return SDL_PIXELFORMAT_UNKNOWN;
  }
}

uint64_t NextGeneration() {
  static uint64_t generations = 0;
  return ++generations;
}

}  // namespace

std::unique_ptr<DisplayDevice> Display;

DisplayDevice::DisplayDevice() : generation(NextGeneration()) {}

DisplayDevice::~DisplayDevice() { Release(); }

int32_t DisplayDevice::Init(uint32_t flags, WindowHandle window, uint32_t width, uint32_t height,
                            uint32_t bitsPerPixel, uint32_t refreshRate) {
  Release();
  const bool fullScreen = (flags & FullScreenFlag) != 0;
  if ((flags & AlphaFlag) && !fullScreen) {
    LastError = ErrorAlphaWindowed;
    return 0;
  }
  if (flags & AlphaFlag) ShowMessageBox("3DAlpha is on", "DEBUG");
  SDL_ClearError();

  // The video system stands for the device object; one hold suffices.
  if (!videoHeld_) {
    if (Refused(InitStep::Video) || SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
      return Fail(ErrorCreateDisplay, "SDL_InitSubSystem");
    }
    videoHeld_ = true;
  }

  // Cooperative level: the window must exist on a display; windowed use gives up full screen.
  if (Refused(InitStep::CooperativeLevel) || !IsWindow(window) ||
      SDL_GetWindowDisplayIndex(window->Sdl()) < 0) {
    return Fail(ErrorCooperativeLevel, "SDL_GetWindowDisplayIndex");
  }
  if (!fullScreen) LeaveFullScreen();
  window_ = window;
  SDL_Window* sdlWindow = window->Sdl();
  const uint32_t depthFormat = FormatForDepth(bitsPerPixel);

  if (fullScreen && (Refused(InitStep::FullScreenMode) || depthFormat == SDL_PIXELFORMAT_UNKNOWN ||
                     !EnterFullScreen(width, height, refreshRate))) {
    return Fail(ErrorDisplayMode, "SDL_SetWindowFullscreen");
  }

  // The primary surface: the way frames reach the window, with the front buffer of the flip
  // chain in full screen.
  const char* call = "SDL_GetWindowSurface";
  if (Refused(InitStep::PrimarySurface) || !presenter_.Open(window, preferRenderer, &call)) {
    return Fail(ErrorPrimarySurface, call);
  }
  // The colour depth sets the display mode of full screen; a window shares the desktop with
  // other programs, so it, its back buffer and every picture take the desktop's own format.
  const uint32_t format = fullScreen ? depthFormat : presenter_.WindowFormat();
  if (fullScreen) {
    frontBuffer_ = NewBuffer(width, height, format);
    if (!frontBuffer_) return Fail(ErrorPrimarySurface, "SDL_CreateRGBSurfaceWithFormat");
  }
  primarySurface_ = true;
  ++surfaceCount;

  // The back buffer: the play screen's size in full screen, the client area's windowed.
  if (fullScreen) {
    if (!Refused(InitStep::BackBuffer)) backBuffer_ = NewBuffer(width, height, format);
    if (!backBuffer_) return Fail(ErrorBackBuffer, "SDL_CreateRGBSurfaceWithFormat");
  } else {
    // The client area in play-screen pixels: the window shows each of them as a block of
    // the window's scale.
    int clientWidth = 0, clientHeight = 0;
    SDL_GetWindowSize(sdlWindow, &clientWidth, &clientHeight);
    if (!Refused(InitStep::BackBuffer)) {
      windowedBackBuffer_ =
          NewBuffer(clientWidth / window->Scale(), clientHeight / window->Scale(), format);
    }
    if (!windowedBackBuffer_) return Fail(ErrorBackBuffer, "SDL_CreateRGBSurfaceWithFormat");
  }
  // The screen starts black, and the window learns where the play screen stands.
  presenter_.Show(fullScreen ? *frontBuffer_ : *windowedBackBuffer_, fullScreen, scaleMode);
  ++surfaceCount;
  ready = 1;
  pixelFormat_ = format;
  // The alpha option would add a 3D device here; there is none, so the plain set-up stands.
  return 1;
}

int32_t DisplayDevice::Fail(int32_t code, const char* call) {
  // SDL's own reason goes to standard error beside the code's message, which names only the
  // step; a step refused without an SDL call has no reason to add.
  const char* reason = SDL_GetError();
  if (reason && *reason) WriteErrorLine(std::string(call) + ": " + reason);
  // Released first, so that a refusal to release cannot hide the step that failed.
  Release();
  LastError = code;
  return 0;
}

bool DisplayDevice::EnterFullScreen(uint32_t width, uint32_t height, uint32_t refreshRate) {
  SDL_Window* sdlWindow = window_->Sdl();
  fullScreen_ = true;
  // A real mode of the play screen's size where the display has one; otherwise the desktop's
  // mode, with the play screen scaled into it.
  if (width <= INT_MAX && height <= INT_MAX && refreshRate <= INT_MAX) {
    const SDL_DisplayMode wanted{SDL_PIXELFORMAT_UNKNOWN, static_cast<int>(width),
                                 static_cast<int>(height), static_cast<int>(refreshRate), nullptr};
    SDL_DisplayMode closest;
    // Wayland shows a mode change as the compositor's own blurred scaling: there the desktop's
    // mode is kept and the play screen scaled here.
    const bool modesScale = SDL_strcmp(SDL_GetCurrentVideoDriver(), "wayland") == 0;
    if (!modesScale &&
        SDL_GetClosestDisplayMode(SDL_GetWindowDisplayIndex(sdlWindow), &wanted, &closest) &&
        closest.w == wanted.w && closest.h == wanted.h) {
      return SDL_SetWindowDisplayMode(sdlWindow, &closest) == 0 &&
             SDL_SetWindowFullscreen(sdlWindow, SDL_WINDOW_FULLSCREEN) == 0;
    }
  }
  return SDL_SetWindowFullscreen(sdlWindow, SDL_WINDOW_FULLSCREEN_DESKTOP) == 0;
}

void DisplayDevice::LeaveFullScreen() {
  if (fullScreen_ && IsWindow(window_)) {
    SDL_Window* sdlWindow = window_->Sdl();
    SDL_SetWindowFullscreen(sdlWindow, 0);
    int width = 0, height = 0;
    SDL_GetWindowSize(sdlWindow, &width, &height);
    window_->SetPlayArea(0, 0, width, height, width / window_->Scale(), height / window_->Scale());
  }
  fullScreen_ = false;
}

void DisplayDevice::Release() {
  showing_ = false;
  generation = NextGeneration();
  if (backBuffer_) {
    backBuffer_.reset();
    --surfaceCount;
  }
  presenter_.Close();
  if (primarySurface_) {
    primarySurface_ = false;
    frontBuffer_.reset();
    --surfaceCount;
  }
  if (windowedBackBuffer_) {
    windowedBackBuffer_.reset();
    --surfaceCount;
  }
  ready = 0;
  if (surfaceCount > 0) {
    LastError = ErrorBuffersAlive;
    return;
  }
  if (videoHeld_) {
    LeaveFullScreen();
    window_ = nullptr;
    pixelFormat_ = SDL_PIXELFORMAT_UNKNOWN;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    videoHeld_ = false;
    --surfaceCount;
  }
}

void DisplayDevice::Present(WindowHandle window) {
  if (backBuffer_ && frontBuffer_) {
    std::swap(frontBuffer_, backBuffer_);
    presenter_.Show(*frontBuffer_, true, scaleMode);
    ++framesPresented;
    return;
  }
  if (!windowedBackBuffer_ || !primarySurface_ || !IsWindow(window)) return;
  presenter_.Show(*windowedBackBuffer_, false, scaleMode);
  ++framesPresented;
}

Surface* DisplayDevice::LoadBitmap(uint32_t, const char* path) {
  // A large picture takes a good part of a second to load: after a stop request none is, so
  // that the program ends when asked.
  if (!videoHeld_ || pixelFormat_ == SDL_PIXELFORMAT_UNKNOWN || StopRequested()) return nullptr;
  BitmapFile file;
  if (!file.Read(path)) return nullptr;
  // The budget is judged by the headers, before a pixel is decoded.
  PictureBudget* const budget = PictureBudget::Active();
  if (budget && !budget->Admits(path, file.Width(), file.Height())) return nullptr;
  const SdlSurfacePtr picture = file.Decode();
  if (!picture) return nullptr;
  SdlSurfacePtr converted(SDL_ConvertSurfaceFormat(picture.get(), pixelFormat_, 0));
  if (!converted) return nullptr;
  SDL_SetSurfaceBlendMode(converted.get(), SDL_BLENDMODE_NONE);
  auto* surface = new Surface(std::move(converted));
  ++surfaceCount;
  if (budget) budget->Charge(surface, path);
  return surface;
}

void DisplayDevice::ReleaseSurface(Surface* surface) {
  if (!surface || OwnBuffer(surface)) return;
  if (PictureBudget* const budget = PictureBudget::Active()) budget->Credit(surface);
  delete surface;
  --surfaceCount;
}

SurfaceRect DisplayDevice::GetSurfaceSize(const Surface* surface) {
  if (!surface) return {};
  return SurfaceRect{0, 0, surface->Width(), surface->Height()};
}

void DisplayDevice::SetColorKeyMode(uint32_t mode) {
  // Without a primary surface there is no pixel format, and every mask reads as 0.
  Uint32 red = 0, green = 0, blue = 0, alpha = 0;
  int bits = 0;
  if (primarySurface_) SDL_PixelFormatEnumToMasks(pixelFormat_, &bits, &red, &green, &blue, &alpha);
  if (mode & KeyGreen) {
    colorKey_ = green;
  } else if (mode & KeyBlue) {
    colorKey_ = blue;
  } else if (mode & KeyRed) {
    colorKey_ = red;
  } else if (mode & KeyBlack) {
    colorKey_ = 0;
  } else {
    colorKey_ = mode;
  }
}

void DisplayDevice::ApplyColorKey(Surface* surface) {
  if (!surface || OwnBuffer(surface)) return;
  surface->SetColorKey(colorKey_);
}

bool DisplayDevice::IsShowing(const FrameKey& key) const {
  return showing_ && IsWindow(window_) && window_->Spoiled() == shownSpoiled_ && key == shownKey_;
}

void DisplayDevice::RememberShown(const FrameKey& key) {
  if (!ready || !IsWindow(window_)) return;
  shownKey_ = key;
  shownSpoiled_ = window_->Spoiled();
  showing_ = true;
}

Surface* DisplayDevice::ActiveBackBuffer() {
  return backBuffer_ ? backBuffer_.get() : windowedBackBuffer_.get();
}

bool DisplayDevice::Blit(const SurfaceRect& destination, Surface* source,
                         const SurfaceRect& sourceRect, uint32_t flags) {
  Surface* target = ActiveBackBuffer();
  return target && BlitInto(*target, destination, source, sourceRect, flags);
}

std::unique_ptr<Surface> DisplayDevice::NewPicture(int32_t width, int32_t height) {
  const Surface* back = ActiveBackBuffer();
  if (!back || width <= 0 || height <= 0) return nullptr;
  return NewBuffer(width, height, back->Sdl()->format->format);
}

bool DisplayDevice::BlitInto(Surface& target, const SurfaceRect& destination, Surface* source,
                             const SurfaceRect& sourceRect, uint32_t flags) {
  if (!source || source == &target || !source->Sdl()) return false;
  // One-to-one copies only, and both rectangles inside their surfaces, as without a clipper.
  const int64_t width = int64_t{sourceRect.right} - sourceRect.left;
  const int64_t height = int64_t{sourceRect.bottom} - sourceRect.top;
  if (width <= 0 || height <= 0 || int64_t{destination.right} - destination.left != width ||
      int64_t{destination.bottom} - destination.top != height) {
    return false;
  }
  if (!Inside(sourceRect, *source) || !Inside(destination, target)) return false;
  const bool keyed = (flags & BlitKeySource) && source->HasColorKey();
  if (keyed ? CopyRuns(*source, sourceRect, *target.Sdl(), destination)
            : CopyRows(*source->Sdl(), sourceRect, *target.Sdl(), destination)) {
    return true;
  }
  // Between formats SDL converts; the key then still leaves out the key's pixels.
  SDL_Surface* from = source->Sdl();
  if (keyed) SDL_SetColorKey(from, SDL_TRUE, source->ColorKey());
  SDL_Rect sourceArea = ToSdl(sourceRect);
  SDL_Rect destinationArea = ToSdl(destination);
  const bool copied = SDL_BlitSurface(from, &sourceArea, target.Sdl(), &destinationArea) == 0;
  if (keyed) SDL_SetColorKey(from, SDL_FALSE, 0);
  return copied;
}

void DisplayDevice::Clear(const SurfaceRect& area) {
  Surface* target = ActiveBackBuffer();
  if (!target || !Inside(area, *target) || area.right <= area.left || area.bottom <= area.top) {
    return;
  }
  SDL_Surface* pixels = target->Sdl();
  const Uint32 black = SDL_MapRGB(pixels->format, 0, 0, 0);
  if (black != 0 || SDL_MUSTLOCK(pixels)) {
    SDL_Rect sdlArea = ToSdl(area);
    SDL_FillRect(pixels, &sdlArea, black);
    return;
  }
  // Black is all zero bytes: row by row with memset, which SDL does not do for 3-byte pixels.
  const int bytes = pixels->format->BytesPerPixel;
  auto* row = static_cast<uint8_t*>(pixels->pixels) + ptrdiff_t{area.top} * pixels->pitch +
              ptrdiff_t{area.left} * bytes;
  const size_t length = static_cast<size_t>(area.right - area.left) * static_cast<size_t>(bytes);
  for (int32_t y = area.top; y < area.bottom; ++y, row += pixels->pitch) {
    std::memset(row, 0, length);
  }
}

void DisplayDevice::Fill(const SurfaceRect& area, uint32_t color) {
  Surface* target = ActiveBackBuffer();
  if (!target || area.right <= area.left || area.bottom <= area.top) return;
  SDL_Surface* pixels = target->Sdl();
  SDL_Rect sdlArea = ToSdl(area);
  SDL_FillRect(pixels, &sdlArea,
               SDL_MapRGB(pixels->format, color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF));
}

bool DisplayDevice::OwnBuffer(const Surface* surface) const {
  return surface == frontBuffer_.get() || surface == backBuffer_.get() ||
         surface == windowedBackBuffer_.get();
}

SurfaceRect DisplayDevice::DrawText(int32_t x, int32_t y, const std::string& text,
                                    uint32_t textColor, uint32_t backgroundColor) {
  Surface* target = ActiveBackBuffer();
  if (!target) return {};
  if (!text_) text_ = std::make_unique<TextRenderer>();
  if (!text_->Draw(target->Sdl(), x, y, text, textColor, backgroundColor)) return {};
  return SurfaceRect{x, y, x + text_->Width(), y + text_->Height()};
}
