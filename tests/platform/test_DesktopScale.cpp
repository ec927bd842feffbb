// The desktop's scale on X11: GDK's window scale, else the font resolution over 96 dots an inch.
#include <gtest/gtest.h>
// After gtest: the X11 headers define macros (None, Bool) that clash with gtest's own names.
#include <gdk/gdkx.h>

#include "platform/DesktopScale.h"
#include "platform/Gtk.h"

TEST(DesktopScaleTest, TheWindowScaleElseXftDpiOver96RoundedDown) {
  if (!GtkAvailable() || !GDK_IS_X11_DISPLAY(gdk_display_get_default())) GTEST_SKIP() << "no X11";
  // Window scale, Xft.dpi in 1024ths, the desktop's scale.
  const int cases[][3] = {{3, 2 * 96 * 1024, 3},     {1, 2 * 96 * 1024, 2}, {1, 3 * 96 * 1024, 3},
                          {1, 2 * 96 * 1024 - 1, 1}, {1, 48 * 1024, 1},     {1, -1, 1}};
  for (const auto& c : cases) {
    gdk_x11_display_set_window_scale(gdk_display_get_default(), c[0]);
    g_object_set(gtk_settings_get_default(), "gtk-xft-dpi", c[1], nullptr);
    EXPECT_EQ(DesktopScale(), c[2]) << c[0] << " " << c[1];
  }
}
