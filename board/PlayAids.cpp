// PlayAids: the keys' state, the marks and the refusal sign's half second.
#include "board/PlayAids.h"

#include "platform/Message.h"
#include "platform/Platform.h"

void PlayAids::KeyTaken(const KeyState& after, int64_t flags) {
  keys = after;
  marksShown = true;
  fromController = (flags & KeyFromController) != 0;
}

void PlayAids::PointerMoved(const BoardPosition* square) {
  marksShown = false;
  if (square) keys.cursor = *square;
}

void PlayAids::Refused(const CellRun& run, int32_t length) {
  int64_t frequency = 0;
  if (!QueryPerformanceFrequency(frequency)) frequency = 0;
  refusedRun = run;
  refusedLength = length;
  signEnd = QueryPerformanceCounter() + static_cast<int64_t>(kSignSeconds * frequency);
}

bool PlayAids::SignShown() const {
  return refusedLength > 0 && QueryPerformanceCounter() < signEnd;
}
