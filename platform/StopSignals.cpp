// StopSignals: a flag and a self-pipe, written by the handler with async-signal-safe calls only,
// and a GLib watch on the pipe that closes the open scopes.
#include "platform/StopSignals.h"

#include <fcntl.h>
#include <glib-unix.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace {

constexpr int kStopSignals[] = {SIGTERM, SIGINT, SIGHUP};

volatile sig_atomic_t stopRequested = 0;
int stopPipe[2] = {-1, -1};

std::vector<std::function<void()>>& Scopes() {
  static std::vector<std::function<void()>> scopes;
  return scopes;
}

void OnStopSignal(int) {
  const int saved = errno;
  stopRequested = 1;
  const char byte = 1;
  // A full pipe already holds a wake-up; the write may then fail.
  [[maybe_unused]] const ssize_t written = ::write(stopPipe[1], &byte, 1);
  errno = saved;
}

gboolean OnStopReadable(gint descriptor, GIOCondition, gpointer) {
  char bytes[64];
  while (::read(descriptor, bytes, sizeof bytes) > 0) {
  }
  const std::vector<std::function<void()>> scopes = Scopes();
  for (auto close = scopes.rbegin(); close != scopes.rend(); ++close) (*close)();
  return G_SOURCE_CONTINUE;
}

}  // namespace

void WatchStopSignals() {
  if (stopPipe[0] >= 0 || ::pipe2(stopPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  g_unix_fd_add(stopPipe[0], G_IO_IN, OnStopReadable, nullptr);
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : kStopSignals) sigaction(signal, &action, nullptr);
}

bool StopRequested() { return stopRequested != 0; }

int StopDescriptor() { return stopPipe[0]; }

StopScope::StopScope(std::function<void()> close) { Scopes().push_back(std::move(close)); }

StopScope::~StopScope() { Scopes().pop_back(); }
