// Window messages: what the main window's procedure receives, numbered as on Windows, and the
// packing of a pointer position into a message parameter.
#pragma once

#include <cstdint>

class Window;
using WindowHandle = Window*;

constexpr uint32_t WM_DESTROY = 0x0002;
constexpr uint32_t WM_PAINT = 0x000F;
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_QUIT = 0x0012;
constexpr uint32_t WM_ACTIVATEAPP = 0x001C;
constexpr uint32_t WM_KEYDOWN = 0x0100;
constexpr uint32_t WM_SYSKEYDOWN = 0x0104;
constexpr uint32_t WM_MOUSEMOVE = 0x0200;
constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr uint32_t WM_LBUTTONUP = 0x0202;
constexpr uint32_t WM_RBUTTONUP = 0x0205;

// Virtual-key codes of the keys the game or its tests name.
constexpr int32_t VK_RETURN = 0x0D;
constexpr int32_t VK_ESCAPE = 0x1B;
constexpr int32_t VK_F4 = 0x73;
constexpr int32_t VK_F12 = 0x7B;

struct Message {
  WindowHandle window = nullptr;
  uint32_t message = 0;
  uint64_t wParam = 0;
  int64_t lParam = 0;
};

// A pointer position travels as x in the low and y in the high 16 bits, both unsigned.
constexpr int64_t PointerParam(int32_t x, int32_t y) {
  return static_cast<int64_t>((static_cast<uint32_t>(x) & 0xFFFF) |
                              ((static_cast<uint32_t>(y) & 0xFFFF) << 16));
}
constexpr int32_t PointerX(int64_t lParam) { return static_cast<int32_t>(lParam & 0xFFFF); }
constexpr int32_t PointerY(int64_t lParam) { return static_cast<int32_t>((lParam >> 16) & 0xFFFF); }
