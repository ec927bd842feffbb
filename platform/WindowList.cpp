// WindowList: a vector of owned windows, searched by handle or by SDL window id.
#include "platform/WindowList.h"

#include <algorithm>
#include <vector>

#include "platform/PlatformState.h"
#include "platform/X11Connection.h"

namespace {

std::vector<std::unique_ptr<Window>>& Windows() { return ThePlatform().windows.list; }

}  // namespace

WindowHandle WindowList::Add(std::unique_ptr<Window> window) {
  Windows().push_back(std::move(window));
  return Windows().back().get();
}

bool WindowList::Remove(WindowHandle window) {
  auto& windows = Windows();
  auto it = std::find_if(windows.begin(), windows.end(),
                         [window](const auto& w) { return w.get() == window; });
  if (it == windows.end()) return false;
  windows.erase(it);
  return true;
}

void WindowList::Clear() { Windows().clear(); }

bool WindowList::Contains(WindowHandle window) {
  const auto& windows = Windows();
  return window && std::any_of(windows.begin(), windows.end(),
                               [window](const auto& w) { return w.get() == window; });
}

WindowHandle WindowList::FindById(uint32_t sdlWindowId) {
  for (const auto& window : Windows()) {
    if (window->Id() == sdlWindowId) return window.get();
  }
  return nullptr;
}

WindowHandle WindowList::First() { return Windows().empty() ? nullptr : Windows().front().get(); }

int WindowList::InputConnection() {
  for (const auto& window : Windows()) {
    const int connection = X11ConnectionOf(window->Sdl());
    if (connection >= 0) return connection;
  }
  return -1;
}

bool WindowList::InputQueued() {
  const auto& windows = Windows();
  return std::any_of(windows.begin(), windows.end(),
                     [](const auto& window) { return X11HasQueuedEvents(window->Sdl()); });
}
