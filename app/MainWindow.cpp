// The main window and the routing of its messages.
#include "app/MainWindow.h"

#include "app/Settings.h"
#include "app/Shutdown.h"
#include "board/GameEngine.h"
#include "display/PlayScreen.h"
#include "platform/DesktopScale.h"
#include "platform/Errors.h"
#include "platform/Platform.h"

namespace {

constexpr int kWindowX = 50;
constexpr int kWindowY = 50;

}  // namespace

int32_t CreateMainWindow() {
  if (!InitVideo()) {
    LastError = ErrorRegisterClass;
    return 0;
  }
  const bool decorated = DisplayMode != DisplayFullScreen;
  // Sharp at the desktop's scale: each pixel of the play screen a block of whole pixels.
  const int scale = WindowScale > 0 ? WindowScale : DesktopScale();
  WindowHandle window = CreatePlatformWindow("Tarnwick", kWindowX, kWindowY, PlayScreen::kWidth,
                                             PlayScreen::kHeight, decorated, WindowProc, scale);
  if (!window) {
    LastError = ErrorCreateWindow;
    return 0;
  }
  MainWindow = window;
  return 1;
}

int64_t WindowProc(WindowHandle window, uint32_t message, uint64_t wParam, int64_t lParam) {
  switch (message) {
    case WM_DESTROY:
      Shutdown();
      PostQuitMessage(0);
      return 0;
    case WM_PAINT:
      return 0;
    case WM_ACTIVATEAPP:
      AppActive = wParam ? 1 : 0;
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      break;
    default:
      return DefWindowProc(window, message, wParam, lParam);
  }
  // Input that arrives while the engine is gone (during shutdown) has nowhere to go.
  if (!Engine) return 0;
  const int32_t x = PointerX(lParam);
  const int32_t y = PointerY(lParam);
  switch (message) {
    case WM_KEYDOWN:
      // F12 comes back here with WM_DESTROY, and Shutdown, before this call returns: the
      // engine, the display and the window are gone after it, and nothing here touches them.
      GameEngine::OnKeyDown(static_cast<int32_t>(wParam));
      // F12 has ended the program, the engine with it.
      if (Engine) Engine->OnPlayKey(static_cast<int32_t>(wParam), lParam);
      break;
    case WM_SYSKEYDOWN:
      Engine->OnSysKey();
      break;
    case WM_MOUSEMOVE:
      Engine->OnPointerMove(x, y);
      break;
    case WM_LBUTTONDOWN:
      Engine->OnLButtonDown(x, y);
      break;
    case WM_LBUTTONUP:
      Engine->OnLButtonUp(x, y);
      break;
    case WM_RBUTTONUP:
      Engine->OnRButtonUp(x, y);
      break;
  }
  return 0;
}
