// StopSignals: SIGTERM, SIGINT and SIGHUP (a logout, Ctrl+C, a closed terminal) as a request to
// close the program, answered by whichever loop runs: GTK's, while the dialog or a message box
// is open, or the frame loop's, which gets the close request the play window's close box sends.
#pragma once

#include <functional>

// Installs the handlers; until then the signals end the program at once, as for a check.
void WatchStopSignals();

// Whether a stop signal has arrived, and the descriptor that becomes readable when one does,
// for a wait to wake on (-1 before WatchStopSignals).
bool StopRequested();
int StopDescriptor();

// While a scope lives, a stop request runs its `close` from GTK's main loop; every scope alive
// is closed, the innermost first. A request that came before the scope is for its owner to see.
class StopScope {
 public:
  explicit StopScope(std::function<void()> close);
  ~StopScope();
  StopScope(const StopScope&) = delete;
  StopScope& operator=(const StopScope&) = delete;
};
