// Window: SDL window ownership and the pointer mapping.
#include "platform/Window.h"

#include <SDL.h>

WindowHandle MainWindow = nullptr;

Window::Window(SDL_Window* window, Procedure windowProcedure)
    : window_(window), procedure_(windowProcedure) {
  int width = 0, height = 0;
  SDL_GetWindowSize(window_, &width, &height);
  SetPlayArea(0, 0, width, height, width, height);
}

Window::~Window() { SDL_DestroyWindow(window_); }

uint32_t Window::Id() const { return SDL_GetWindowID(window_); }

void Window::SetScale(int scale) {
  scale_ = scale > 1 ? scale : 1;
  int width = 0, height = 0;
  SDL_GetWindowSize(window_, &width, &height);
  SetPlayArea(0, 0, width, height, width / scale_, height / scale_);
}

void Window::SetPlayArea(int x, int y, int width, int height, int logicalWidth, int logicalHeight) {
  areaX_ = x;
  areaY_ = y;
  areaWidth_ = width;
  areaHeight_ = height;
  logicalWidth_ = logicalWidth;
  logicalHeight_ = logicalHeight;
}

bool Window::ToPlayScreen(int windowX, int windowY, int32_t& x, int32_t& y) const {
  if (areaWidth_ <= 0 || areaHeight_ <= 0) return false;
  const int64_t dx = int64_t{windowX} - areaX_;
  const int64_t dy = int64_t{windowY} - areaY_;
  // Rounded down, so that a point left of or above the play screen maps below 0.
  const auto scale = [](int64_t d, int64_t logical, int64_t shown) {
    const int64_t scaled = d * logical;
    return static_cast<int32_t>(scaled >= 0 ? scaled / shown : -((-scaled + shown - 1) / shown));
  };
  x = scale(dx, logicalWidth_, areaWidth_);
  y = scale(dy, logicalHeight_, areaHeight_);
  return dx >= 0 && dy >= 0 && dx < areaWidth_ && dy < areaHeight_;
}
