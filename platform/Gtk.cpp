// GTK start-up and event flushing.
#include "platform/Gtk.h"

#include "platform/DisplayEnvironment.h"
#include "platform/PlatformState.h"
#include "platform/ProgramIcon.h"
#include "platform/X11Connection.h"

bool GtkAvailable() {
  PlatformState::Gtk& gtk = ThePlatform().gtk;
  if (!gtk.tried) {
    gtk.tried = true;
    gtk.up = DisplayNamed() && gtk_init_check(nullptr, nullptr);
    if (gtk.up) SetGtkProgramIcon();
  }
  return gtk.up;
}

uint32_t GtkLastUserTime() { return ThePlatform().gtk.up ? X11GtkUserTime() : 0; }

void GtkFlushEvents() {
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}
