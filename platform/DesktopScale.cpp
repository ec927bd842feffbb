// DesktopScale: read from GDK's first monitor and GTK's font resolution.
#include "platform/DesktopScale.h"

#include <gdk/gdk.h>
#ifdef GDK_WINDOWING_X11
#include <gdk/gdkx.h>
#endif

#include "platform/Gtk.h"

int DesktopScale() {
  if (!GtkAvailable()) return 1;
  GdkDisplay* display = gdk_display_get_default();
  if (!display) return 1;
  GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
  if (!monitor && gdk_display_get_n_monitors(display) > 0) {
    monitor = gdk_display_get_monitor(display, 0);
  }
  int scale = monitor ? gdk_monitor_get_scale_factor(monitor) : 1;
#ifdef GDK_WINDOWING_X11
  // Without a window scale, X11 desktops say their density by the font resolution alone:
  // GTK reads it from Xft.dpi, in 1024ths of a dot per inch.
  if (scale <= 1 && GDK_IS_X11_DISPLAY(display)) {
    int dpi = 0;
    g_object_get(gtk_settings_get_default(), "gtk-xft-dpi", &dpi, nullptr);
    if (dpi > 0) scale = dpi / 1024 / 96;
  }
#endif
  return scale > 1 ? scale : 1;
}
