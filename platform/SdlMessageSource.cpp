// SdlMessageSource: event translation and the two-stage wait.
#include "platform/SdlMessageSource.h"

#include <poll.h>
#include <sys/prctl.h>
#include <time.h>

#include "platform/ProgramOutput.h"
#include "platform/StopSignals.h"
#include "platform/WindowList.h"

namespace {

constexpr int64_t kMillisecond = MonotonicCounter::kTicksPerSecond / 1000;
// Below this much time left the wait stops watching the event queue and sleeps to the
// deadline; the queue's timeout only has whole milliseconds.
constexpr int64_t kPreciseStretch = 2 * kMillisecond;
// The last part of the wait is spun, so that a late wake-up of the sleep does not count.
constexpr int64_t kSpinStretch = 50000;
// Without an X connection, how often a wait for input also looks at the other descriptors.
constexpr int kOthersLookMs = 100;

timespec ToTimespec(int64_t ticks) {
  timespec ts{};
  ts.tv_sec = static_cast<time_t>(ticks / MonotonicCounter::kTicksPerSecond);
  ts.tv_nsec = static_cast<long>(ticks % MonotonicCounter::kTicksPerSecond);
  return ts;
}

// Puts the play-screen position of a window pixel into the message, mapped by the play area
// the last present set (Window::SetPlayArea). A point off the play screen reaches only the
// window that holds the left button, as on Windows, where a window captures the mouse for the
// left button alone.
bool AtPointer(WindowHandle window, int windowX, int windowY, uint32_t leftHeldIn,
               Message& message) {
  int32_t x = 0, y = 0;
  if (!window || (!window->ToPlayScreen(windowX, windowY, x, y) && window->Id() != leftHeldIn)) {
    return false;
  }
  message.wParam = 0;
  message.lParam = PointerParam(x, y);
  return true;
}

// SDL's quit event on Wayland: SDL posts it when the compositor has closed the connection.
// Closing the last window posts none (the source's hint), and the stop signals are the
// program's own.
bool CompositorGone(const SDL_Event& event) {
  const char* driver = SDL_GetCurrentVideoDriver();
  return event.type == SDL_QUIT && driver && SDL_strcmp(driver, "wayland") == 0;
}

}  // namespace

SdlMessageSource::SdlMessageSource() {
  // Timer slack of 1 ns makes the sleep to an absolute deadline wake close to it.
  prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
  // The close box's request reaches the window as WM_CLOSE alone; SDL's quit event is left to
  // say that the display is gone. SDL reads this when the window closes.
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
}

bool SdlMessageSource::Poll(Message& message) {
  // Fetching from the X server costs several system calls; between two waits nothing new can
  // have arrived that a wait would not have been woken by, so one fetch per wait suffices.
  // SDL also keeps the screen saver off while fetching, so it fetches at least once a second.
  const int64_t now = clock_.Now();
  if (mayHaveInput_ || now - lastFetch_ > MonotonicCounter::kTicksPerSecond) {
    SDL_PumpEvents();
    mayHaveInput_ = false;
    lastFetch_ = now;
  }
  SDL_Event event;
  while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
    // Without its compositor the game cannot go on: it ends as it does when the X server goes
    // away, with exit code 1, after releasing what it holds.
    if (CompositorGone(event)) {
      WriteErrorLine("the Wayland compositor went away; the game ends");
      message = Message{nullptr, WM_QUIT, 1, 0};
      return true;
    }
    // From a left press to its release the window hears the pointer wherever it is, so that
    // the release reaches it and a pressed panel button always comes up again.
    const uint32_t leftHeldIn = pressedWindow_;
    if (event.type == SDL_MOUSEBUTTONUP && event.button.button == SDL_BUTTON_LEFT) {
      if (leftHeldIn != 0 && event.button.windowID != leftHeldIn) PlaceInWindow(event, leftHeldIn);
      pressedWindow_ = 0;
    }
    if (!Translate(event, message, leftHeldIn)) continue;
    if (message.message == WM_LBUTTONDOWN) pressedWindow_ = event.button.windowID;
    return true;
  }
  return false;
}

void SdlMessageSource::PlaceInWindow(SDL_Event& release, uint32_t windowId) {
  const WindowHandle window = WindowList::FindById(windowId);
  if (!window) return;
  // It happened outside: it is put where the pointer is now, or just off the play screen if
  // the pointer is already back on it.
  int globalX = 0, globalY = 0, windowX = 0, windowY = 0;
  SDL_GetGlobalMouseState(&globalX, &globalY);
  SDL_GetWindowPosition(window->Sdl(), &windowX, &windowY);
  int32_t x = 0, y = 0;
  release.button.windowID = windowId;
  release.button.x = globalX - windowX;
  release.button.y = globalY - windowY;
  if (window->ToPlayScreen(release.button.x, release.button.y, x, y)) {
    release.button.x = release.button.y = -1;
  }
}

void SdlMessageSource::Wait() {
  mayHaveInput_ = true;
  // SDL's own wait cannot hear other descriptors: on X11 the server connection is slept on
  // together with the stop signals' and the watched game's; with no X connection, SDL's queue
  // is waited on in turns with a look at those. A descriptor of -1 is passed over.
  pollfd waits[] = {{WindowList::InputConnection(), POLLIN, 0},
                    {StopDescriptor(), POLLIN, 0},
                    {wake_, POLLIN, 0}};
  if (waits[0].fd < 0) {
    while (!SDL_WaitEventTimeout(nullptr, kOthersLookMs) && poll(waits + 1, 2, 0) == 0) {
    }
    return;
  }
  if (SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT) || WindowList::InputQueued()) return;
  ppoll(waits, 3, nullptr, nullptr);
}

void SdlMessageSource::WaitUntil(int64_t deadline) {
  // On X11 one sleep does: on the server connection, until input arrives or the deadline
  // passes, to the nanosecond. Each wake-up costs more than the work of an idle frame, so
  // there is no second stage and no spinning.
  const int connection = WindowList::InputConnection();
  if (connection >= 0) {
    if (SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT) || WindowList::InputQueued()) {
      mayHaveInput_ = true;
      return;
    }
    const int64_t remaining = deadline - clock_.Now();
    if (remaining < 0) return;
    pollfd waits[] = {{connection, POLLIN, 0}, {StopDescriptor(), POLLIN, 0}, {wake_, POLLIN, 0}};
    const timespec timeout = ToTimespec(remaining + 1);
    if (ppoll(waits, 3, &timeout, nullptr) != 0) mayHaveInput_ = true;
    return;
  }
  mayHaveInput_ = true;
  // Elsewhere: on SDL's queue while the deadline is far, then asleep to just before it, and
  // spinning the rest.
  for (;;) {
    const int64_t remaining = deadline - clock_.Now();
    if (remaining < 0) return;
    if (remaining > kPreciseStretch) {
      const int timeout = static_cast<int>((remaining - kPreciseStretch) / kMillisecond) + 1;
      if (SDL_WaitEventTimeout(nullptr, timeout)) return;
    } else if (remaining > kSpinStretch) {
      const timespec wake = ToTimespec(deadline - kSpinStretch);
      clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &wake, nullptr);
    } else {
      while (clock_.Now() <= deadline) {
      }
      return;
    }
  }
}

int32_t SdlMessageSource::VirtualKey(SDL_Keycode key, uint16_t mod) {
  // The keypad's keys are digits with NumLock on and the keys printed under them with it
  // off, as on every desktop; its Enter is Enter either way.
  if (key >= SDLK_KP_1 && key <= SDLK_KP_0) {
    if (mod & KMOD_NUM) return key == SDLK_KP_0 ? '0' : '1' + (key - SDLK_KP_1);
    constexpr int32_t kUnderDigits[] = {VK_END,   VK_DOWN, VK_NEXT, VK_LEFT,  0,
                                        VK_RIGHT, VK_HOME, VK_UP,   VK_PRIOR, VK_INSERT};
    return kUnderDigits[key - SDLK_KP_1];
  }
  if (key == SDLK_KP_PERIOD) return mod & KMOD_NUM ? 0 : VK_DELETE;
  if (key == SDLK_KP_ENTER) return VK_RETURN;
  if (key >= SDLK_F1 && key <= SDLK_F12) return VK_F1 + (key - SDLK_F1);
  if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
  if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
  switch (key) {
    case SDLK_BACKSPACE:
      return VK_BACK;
    case SDLK_TAB:
      return VK_TAB;
    case SDLK_RETURN:
      return VK_RETURN;
    case SDLK_ESCAPE:
      return VK_ESCAPE;
    case SDLK_SPACE:
      return VK_SPACE;
    case SDLK_PAGEUP:
      return VK_PRIOR;
    case SDLK_PAGEDOWN:
      return VK_NEXT;
    case SDLK_END:
      return VK_END;
    case SDLK_HOME:
      return VK_HOME;
    case SDLK_LEFT:
      return VK_LEFT;
    case SDLK_UP:
      return VK_UP;
    case SDLK_RIGHT:
      return VK_RIGHT;
    case SDLK_DOWN:
      return VK_DOWN;
    case SDLK_INSERT:
      return VK_INSERT;
    case SDLK_DELETE:
      return VK_DELETE;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
      return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL:
      return VK_CONTROL;
    case SDLK_LALT:
    case SDLK_RALT:
      return VK_MENU;
    default:
      return 0;
  }
}

bool SdlMessageSource::Translate(const SDL_Event& event, Message& message, uint32_t leftHeldIn) {
  switch (event.type) {
    case SDL_WINDOWEVENT: {
      message.window = WindowList::FindById(event.window.windowID);
      if (!message.window) return false;
      message.wParam = 0;
      message.lParam = 0;
      switch (event.window.event) {
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_MAXIMIZED:
        case SDL_WINDOWEVENT_MOVED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        case SDL_WINDOWEVENT_DISPLAY_CHANGED:
        case SDL_WINDOWEVENT_FOCUS_GAINED:
        case SDL_WINDOWEVENT_FOCUS_LOST:
          message.window->Spoil();
          break;
        default:
          break;
      }
      switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
          message.message = WM_CLOSE;
          return true;
        case SDL_WINDOWEVENT_EXPOSED:
          message.message = WM_PAINT;
          return true;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
          message.message = WM_ACTIVATEAPP;
          message.wParam = 1;
          return true;
        case SDL_WINDOWEVENT_FOCUS_LOST:
          message.message = WM_ACTIVATEAPP;
          return true;
        default:
          return false;
      }
    }
    case SDL_KEYDOWN: {
      message.window = WindowList::FindById(event.key.windowID);
      const int32_t key = VirtualKey(event.key.keysym.sym, event.key.keysym.mod);
      if (!message.window || key == 0) return false;
      // A held arrow key goes on moving the board cursor; every other key acts once a press,
      // so that a held F1 does not make the controls flicker on and off.
      const bool arrow = key >= VK_LEFT && key <= VK_DOWN;
      if (event.key.repeat && !arrow) return false;
      // Keys held with Alt, and F10, are system keys, as on Windows.
      const bool system = (event.key.keysym.mod & KMOD_ALT) || key == VK_F10;
      message.message = system ? WM_SYSKEYDOWN : WM_KEYDOWN;
      message.wParam = static_cast<uint64_t>(key);
      message.lParam = event.key.keysym.mod & KMOD_SHIFT ? KeyShift : 0;
      return true;
    }
    case SDL_MOUSEMOTION: {
      message.window = WindowList::FindById(event.motion.windowID);
      if (!AtPointer(message.window, event.motion.x, event.motion.y, leftHeldIn, message)) {
        return false;
      }
      message.message = WM_MOUSEMOVE;
      return true;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      const bool down = event.type == SDL_MOUSEBUTTONDOWN;
      if (event.button.button == SDL_BUTTON_LEFT) {
        message.message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
      } else if (event.button.button == SDL_BUTTON_RIGHT && !down) {
        message.message = WM_RBUTTONUP;
      } else {
        return false;
      }
      message.window = WindowList::FindById(event.button.windowID);
      return AtPointer(message.window, event.button.x, event.button.y, leftHeldIn, message);
    }
    default:
      return false;
  }
}
