// DisplayEnvironment: the variables the X11 and Wayland client libraries read.
#include "platform/DisplayEnvironment.h"

#include <cstdlib>

namespace {

bool Set(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

}  // namespace

bool DisplayNamed() {
  if (Set("DISPLAY") || Set("WAYLAND_SOCKET") || Set("XDG_RUNTIME_DIR")) return true;
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return wayland && *wayland == '/';
}
