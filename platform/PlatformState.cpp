// PlatformState: the one instance.
#include "platform/PlatformState.h"

PlatformState& ThePlatform() {
  static PlatformState state;
  return state;
}
