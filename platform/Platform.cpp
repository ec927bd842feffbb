// The Windows stand-in: window creation and destruction over the window list, the quit flag,
// and the replaceable backends.
#include "platform/Platform.h"

#include <SDL.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>

#include "platform/DisplayEnvironment.h"
#include "platform/Gtk.h"
#include "platform/PlatformState.h"
#include "platform/ProgramIcon.h"
#include "platform/ProgramOutput.h"
#include "platform/StopSignals.h"
#include "platform/WindowList.h"
#include "platform/X11Connection.h"

namespace {

SdlMessageSource& RealSource() {
  std::optional<SdlMessageSource>& sdl = ThePlatform().queue.sdl;
  if (!sdl) sdl.emplace();
  return *sdl;
}

MessageSource& Source() {
  if (MessageSource* replaced = ThePlatform().queue.replaced) return *replaced;
  return RealSource();
}

// Why the game cannot be shown, once, on the line before the message box that ends it.
void SayNoDisplay(const char* reason) {
  bool& said = ThePlatform().video.noDisplaySaid;
  if (said) return;
  said = true;
  WriteErrorLine(std::string("no display to show the game on: ") + reason);
}

}  // namespace

bool InitVideo() {
  bool& up = ThePlatform().video.up;
  if (up) return true;
  // SDL holds the mouse for the window while any button is down (its default), taking it as
  // it reads the press, so that what follows the press is placed in the window. The message
  // source passes on only what a left press lets through.
  SDL_SetHint(SDL_HINT_MOUSE_AUTO_CAPTURE, "1");
  // The click that activates a window reaches it, as it does on Windows: a player who clicks
  // a panel button of the inactive window selects the character. SDL's X11 backend otherwise
  // drops a press that comes within a few milliseconds of the focus moving to the window.
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  // The stop signals are the program's own (platform/StopSignals), not SDL's quit event.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  // Window surfaces only where SDL has them natively: the shared-memory one on X11 is the
  // cheapest way to present there; elsewhere (Wayland) the display presents with a renderer.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  const char* asked = SDL_getenv("SDL_VIDEODRIVER");
  if (!DisplayNamed() && !(asked && *asked)) {
    SayNoDisplay("neither DISPLAY (X11) nor WAYLAND_DISPLAY (Wayland) is set");
    return false;
  }
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    SayNoDisplay(SDL_GetError());
    return false;
  }
  // Without a display SDL falls back to a driver that shows nothing; a game nobody can see is
  // a failure, unless that driver was asked for (as tests do).
  const char* driver = SDL_GetCurrentVideoDriver();
  const bool invisible =
      driver && (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0);
  if (invisible && !(asked && SDL_strcasecmp(asked, driver) == 0)) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    SayNoDisplay("SDL found none it can show windows on");
    return false;
  }
  up = true;
  return true;
}

WindowHandle CreatePlatformWindow(const char* title, int x, int y, int clientWidth,
                                  int clientHeight, bool decorated, Window::Procedure procedure,
                                  int scale) {
  if (!ThePlatform().video.up) return nullptr;
  // A dense Wayland output gives the window as many pixels a unit as it has itself.
  Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI;
  if (!decorated) flags |= SDL_WINDOW_BORDERLESS;
  // The largest scale up to the one asked for at which the client area fits the desktop.
  SDL_Rect usable{0, 0, 0, 0};
  int fitting = std::clamp(scale, 1, kLargestScale);
  if (SDL_GetDisplayUsableBounds(0, &usable) == 0) {
    while (fitting > 1 && (clientWidth * fitting > usable.w || clientHeight * fitting > usable.h)) {
      --fitting;
    }
  }
  SDL_Window* sdlWindow =
      SDL_CreateWindow(title, x, y, clientWidth * fitting, clientHeight * fitting, flags);
  if (!sdlWindow) return nullptr;
  int units = 0, pixels = 0;
  SDL_GetWindowSize(sdlWindow, &units, nullptr);
  SDL_GetWindowSizeInPixels(sdlWindow, &pixels, nullptr);
  if (units > 0 && pixels > units) {
    fitting = ScaleInUnits(fitting, units, pixels);
    SDL_SetWindowSize(sdlWindow, clientWidth * fitting, clientHeight * fitting);
  }
  SetSdlProgramIcon(sdlWindow);
  const WindowHandle window = WindowList::Add(std::make_unique<Window>(sdlWindow, procedure));
  window->SetScale(fitting);
  // The window is the answer to the player's last input (Start in the dialog): it takes that
  // input's time before it is mapped, which window managers compare with the focused window's
  // to decide whether a new window gets the focus, and then asks to be activated, so that the
  // first key and click after Start reach it.
  X11SetUserTime(sdlWindow, GtkLastUserTime());
  SDL_ShowWindow(sdlWindow);
  SDL_RaiseWindow(sdlWindow);
  return window;
}

int ScaleInUnits(int scale, int units, int pixels) {
  const int density = units > 0 ? pixels / units : 0;
  return density > 1 ? std::max(1, scale / density) : scale;
}

bool IsWindow(WindowHandle window) { return WindowList::Contains(window); }

WindowHandle FindWindowById(uint32_t sdlWindowId) { return WindowList::FindById(sdlWindowId); }

bool DestroyWindow(WindowHandle window) {
  if (!IsWindow(window)) return false;
  // The procedure may destroy the object its caller belongs to: the main window's WM_DESTROY
  // runs Shutdown, which destroys the engine whose key handler called this. After the
  // procedure, only the window list is touched.
  window->procedure()(window, WM_DESTROY, 0, 0);
  WindowList::Remove(window);
  return true;
}

int64_t DefWindowProc(WindowHandle window, uint32_t message, uint64_t, int64_t) {
  if (message == WM_CLOSE) DestroyWindow(window);
  return 0;
}

bool PeekMessage(Message& message) {
  PlatformState::Queue& queue = ThePlatform().queue;
  if (queue.quitPosted) {
    queue.quitPosted = false;
    message = Message{nullptr, WM_QUIT, static_cast<uint64_t>(queue.quitCode), 0};
    return true;
  }
  // A stop signal closes the play window once, as its close box does.
  if (StopRequested() && !queue.stopDelivered && WindowList::First()) {
    queue.stopDelivered = true;
    message = Message{WindowList::First(), WM_CLOSE, 0, 0};
    return true;
  }
  return Source().Poll(message);
}

void WaitMessage() {
  if (!ThePlatform().queue.quitPosted) Source().Wait();
}

void WaitMessageUntil(int64_t deadline) {
  if (!ThePlatform().queue.quitPosted) Source().WaitUntil(deadline);
}

void PostQuitMessage(int32_t exitCode) {
  ThePlatform().queue.quitPosted = true;
  ThePlatform().queue.quitCode = exitCode;
}

int64_t DispatchMessage(const Message& message) {
  if (!IsWindow(message.window)) return 0;
  return message.window->procedure()(message.window, message.message, message.wParam,
                                     message.lParam);
}

bool QueryPerformanceFrequency(int64_t& ticksPerSecond) {
  return ThePlatform().time.current->Frequency(ticksPerSecond);
}

int64_t QueryPerformanceCounter() { return ThePlatform().time.current->Now(); }

void SetWakeDescriptor(int fd) { RealSource().SetWakeDescriptor(fd); }

void SetMessageSource(MessageSource* source) { ThePlatform().queue.replaced = source; }

void SetCounter(Counter* counter) {
  PlatformState::Time& time = ThePlatform().time;
  time.current = counter ? counter : &time.real;
}

void ShutdownPlatform() {
  WindowList::Clear();
  ThePlatform().queue.quitPosted = false;
  bool& up = ThePlatform().video.up;
  if (up) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    up = false;
  }
}
