// Starts a program and prints the milliseconds until the X server maps its window of a given
// title: the notification the server sends when the window is mapped, not a poll of the window
// tree, so that every program is timed alike and to the millisecond. The window manager's frame
// around the window is mapped right after the window itself, and counts as its mapping. The
// program is killed once its window is on screen.
//     launch_to_map TITLE PROGRAM [ARGUMENT...]
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

double NowMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Whether the window, or a window inside it (a frame holds the program's window), has the title.
bool Titled(Display* display, ::Window window, const char* title, int depth = 0) {
  char* name = nullptr;
  const bool same = XFetchName(display, window, &name) && name && std::strcmp(name, title) == 0;
  if (name) XFree(name);
  if (same) return true;
  ::Window root = 0, parent = 0, *children = nullptr;
  unsigned int count = 0;
  if (depth > 1 || !XQueryTree(display, window, &root, &parent, &children, &count)) return false;
  bool found = false;
  for (unsigned int i = 0; i < count && !found; ++i) {
    found = Titled(display, children[i], title, depth + 1);
  }
  if (children) XFree(children);
  return found;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: launch_to_map TITLE PROGRAM [ARGUMENT...]\n");
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "launch_to_map: no X display\n");
    return 1;
  }
  // A window gone before it is looked at is not the one waited for.
  XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
  XSync(display, False);
  const double start = NowMs();
  const pid_t child = fork();
  if (child == 0) {
    close(ConnectionNumber(display));
    execvp(argv[2], argv + 2);
    _exit(127);
  }
  double mapped = -1;
  pollfd connection{ConnectionNumber(display), POLLIN, 0};
  while (mapped < 0 && NowMs() - start < 10000) {
    if (!XPending(display) && poll(&connection, 1, 100) <= 0) continue;
    XEvent event;
    XNextEvent(display, &event);
    const double at = NowMs();
    if (event.type == MapNotify && Titled(display, event.xmap.window, argv[1])) mapped = at - start;
  }
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  XCloseDisplay(display);
  if (mapped < 0) {
    std::fprintf(stderr, "launch_to_map: no window '%s' within 10 s\n", argv[1]);
    return 1;
  }
  std::printf("%.2f\n", mapped);
  return 0;
}
