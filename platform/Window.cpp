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
  const int64_t dx = windowX - areaX_;
  const int64_t dy = windowY - areaY_;
  if (dx < 0 || dy < 0 || dx >= areaWidth_ || dy >= areaHeight_) return false;
  x = static_cast<int32_t>(dx * logicalWidth_ / areaWidth_);
  y = static_cast<int32_t>(dy * logicalHeight_ / areaHeight_);
  return true;
}
