// GTK start-up and event flushing.
#include "platform/Gtk.h"

#include <gdk/gdkx.h>

#include "platform/DisplayEnvironment.h"
#include "platform/ProgramIcon.h"

namespace {

bool initialised = false;

}  // namespace

bool GtkAvailable() {
  static const bool available = [] {
    initialised = DisplayNamed() && gtk_init_check(nullptr, nullptr);
    if (initialised) SetGtkProgramIcon();
    return initialised;
  }();
  return available;
}

uint32_t GtkLastUserTime() {
  if (!initialised) return 0;
  GdkDisplay* display = gdk_display_get_default();
  if (!display || !GDK_IS_X11_DISPLAY(display)) return 0;
  return gdk_x11_display_get_user_time(display);
}

void GtkFlushEvents() {
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}
