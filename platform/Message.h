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

// Virtual-key codes, numbered as on Windows. Letters and digits are their capital ASCII codes
// ('A' to 'Z', '0' to '9'); F1 to F12 run from VK_F1 in order.
constexpr int32_t VK_BACK = 0x08;
constexpr int32_t VK_TAB = 0x09;
constexpr int32_t VK_RETURN = 0x0D;
constexpr int32_t VK_SHIFT = 0x10;
constexpr int32_t VK_CONTROL = 0x11;
constexpr int32_t VK_MENU = 0x12;  // Alt
constexpr int32_t VK_ESCAPE = 0x1B;
constexpr int32_t VK_SPACE = 0x20;
constexpr int32_t VK_PRIOR = 0x21;  // Page Up
constexpr int32_t VK_NEXT = 0x22;   // Page Down
constexpr int32_t VK_END = 0x23;
constexpr int32_t VK_HOME = 0x24;
constexpr int32_t VK_LEFT = 0x25;
constexpr int32_t VK_UP = 0x26;
constexpr int32_t VK_RIGHT = 0x27;
constexpr int32_t VK_DOWN = 0x28;
constexpr int32_t VK_INSERT = 0x2D;
constexpr int32_t VK_DELETE = 0x2E;
constexpr int32_t VK_F1 = 0x70;
constexpr int32_t VK_F4 = 0x73;
constexpr int32_t VK_F10 = 0x79;
constexpr int32_t VK_F12 = 0x7B;

// What a key message carries in lParam besides the key: Shift was held with it; it stands for a
// game controller's button rather than a key of the keyboard.
constexpr int64_t KeyShift = 1;
constexpr int64_t KeyFromController = 2;

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
