// The configuration window's layout: dialog units to pixels, and every control on the window
// without clipping or overlapping another.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ConfigWindow.h"

namespace {

TEST(ConfigWindowTest, DialogUnitsRoundToNearestPixel) {
  struct Case {
    int units, x, y;
  };
  // 6 / 4 pixels across and 13 / 8 down; halves round up.
  for (Case c : {Case{0, 0, 0}, Case{1, 2, 2}, Case{3, 5, 5}, Case{4, 6, 7}, Case{8, 12, 13},
                 Case{32, 48, 52}, Case{209, 314, 340}, Case{211, 317, 343}, Case{118, 177, 192}}) {
    EXPECT_EQ(ConfigWindow::ToPixelsX(c.units), c.x) << c.units;
    EXPECT_EQ(ConfigWindow::ToPixelsY(c.units), c.y) << c.units;
  }
}

struct Placed {
  std::string kind;
  GdkRectangle area;
};

bool Inside(const GdkRectangle& inner, const GdkRectangle& outer) {
  return inner.x >= outer.x && inner.y >= outer.y &&
         inner.x + inner.width <= outer.x + outer.width &&
         inner.y + inner.height <= outer.y + outer.height;
}

// At the usual font resolution and at 1.5 times it (larger text), where the layout grows.
class ConfigWindowLayoutTest : public ::testing::TestWithParam<double> {
 protected:
  void TearDown() override {
    if (GtkAvailable()) gdk_screen_set_resolution(gdk_screen_get_default(), 96);
  }
};

INSTANTIATE_TEST_SUITE_P(Resolutions, ConfigWindowLayoutTest, ::testing::Values(96.0, 144.0));

TEST_P(ConfigWindowLayoutTest, ControlsFitTheWindowWithoutOverlapping) {
  if (!GtkAvailable()) GTEST_SKIP() << "no display";
  gtk_settings_get_default();
  gdk_screen_set_resolution(gdk_screen_get_default(), GetParam());
  ConfigWindow window;
  gtk_widget_show_all(window.widget());
  GtkWidget* layout = gtk_bin_get_child(GTK_BIN(window.widget()));
  // Sizes are given out at the window's first frame, within a second or so.
  for (int i = 0; i < 1000 && gtk_widget_get_allocated_width(layout) <= 1; ++i) {
    g_main_context_iteration(nullptr, FALSE);
    g_usleep(2000);
  }
  GtkAllocation whole;
  gtk_widget_get_allocation(layout, &whole);
  EXPECT_EQ(whole.width, GetParam() == 96 ? 317 : 475);
  EXPECT_EQ(whole.height, GetParam() == 96 ? 192 : 288);
  GdkRectangle client{0, 0, whole.width, whole.height};

  std::vector<Placed> frames, controls;
  GList* children = gtk_container_get_children(GTK_CONTAINER(layout));
  for (GList* item = children; item; item = item->next) {
    GtkWidget* child = GTK_WIDGET(item->data);
    GtkAllocation area;
    gtk_widget_get_allocation(child, &area);
    area.x -= whole.x;
    area.y -= whole.y;
    Placed placed{G_OBJECT_TYPE_NAME(child), area};
    EXPECT_TRUE(Inside(area, client)) << placed.kind << " at " << area.x << "," << area.y;
    (GTK_IS_FRAME(child) ? frames : controls).push_back(placed);
  }
  g_list_free(children);
  ASSERT_EQ(frames.size(), 2u);
  ASSERT_EQ(controls.size(), 11u);

  for (size_t i = 0; i < controls.size(); ++i) {
    for (size_t j = i + 1; j < controls.size(); ++j) {
      GdkRectangle shared;
      if (!gdk_rectangle_intersect(&controls[i].area, &controls[j].area, &shared)) continue;
      // The template's Windowed and Full Screen rows share one dialog unit.
      const bool radios =
          controls[i].kind == "GtkRadioButton" && controls[j].kind == "GtkRadioButton";
      EXPECT_TRUE(radios && shared.height <= ConfigWindow::ToPixelsY(1))
          << controls[i].kind << " " << i << " overlaps " << controls[j].kind << " " << j;
    }
    // A radio button lies inside its group box; nothing else touches a group box.
    for (const Placed& frame : frames) {
      if (controls[i].kind == "GtkRadioButton" && Inside(controls[i].area, frame.area)) continue;
      EXPECT_FALSE(gdk_rectangle_intersect(&controls[i].area, &frame.area, nullptr))
          << controls[i].kind << " " << i << " touches a group box";
    }
  }
}

}  // namespace
