// GTK start-up and event flushing.
#include "platform/Gtk.h"

bool GtkAvailable() {
  static const bool available = gtk_init_check(nullptr, nullptr);
  return available;
}

void GtkFlushEvents() {
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}
