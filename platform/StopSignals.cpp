// StopSignals: a flag and a self-pipe, written by the handler with async-signal-safe calls only,
// and a GLib watch on the pipe that closes the open scopes.
#include "platform/StopSignals.h"

#include <fcntl.h>
#include <glib-unix.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/PlatformState.h"

namespace {

constexpr int kStopSignals[] = {SIGTERM, SIGINT, SIGHUP};

// Async-signal-safe: it sets the volatile flag and calls write(2), nothing else. The state was
// made before the handler was installed, so ThePlatform() here only returns it.
void OnStopSignal(int) {
  const int saved = errno;
  PlatformState::Stop& stop = ThePlatform().stop;
  stop.requested = 1;
  const char byte = 1;
  // A full pipe already holds a wake-up; the write may then fail.
  [[maybe_unused]] const ssize_t written = ::write(stop.pipe[1], &byte, 1);
  errno = saved;
}

gboolean OnStopReadable(gint descriptor, GIOCondition, gpointer) {
  char bytes[64];
  while (::read(descriptor, bytes, sizeof bytes) > 0) {
  }
  const std::vector<std::function<void()>> scopes = ThePlatform().stop.scopes;
  for (auto close = scopes.rbegin(); close != scopes.rend(); ++close) (*close)();
  return G_SOURCE_CONTINUE;
}

}  // namespace

void WatchStopSignals() {
  int* ends = ThePlatform().stop.pipe;
  if (ends[0] >= 0 || ::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return;
  g_unix_fd_add(ends[0], G_IO_IN, OnStopReadable, nullptr);
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : kStopSignals) sigaction(signal, &action, nullptr);
}

bool StopRequested() { return ThePlatform().stop.requested != 0; }

int StopDescriptor() { return ThePlatform().stop.pipe[0]; }

StopScope::StopScope(std::function<void()> close) {
  ThePlatform().stop.scopes.push_back(std::move(close));
}

StopScope::~StopScope() { ThePlatform().stop.scopes.pop_back(); }
