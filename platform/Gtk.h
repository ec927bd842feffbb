// GTK start-up, once per process, and ownership of the widgets the program makes.
#pragma once

#include <gtk/gtk.h>

#include <cstdint>
#include <memory>

// True when GTK could open the display; the first call initialises it.
bool GtkAvailable();

// The time of the last input the player gave a GTK window, on X11 once GTK is up; 0 otherwise.
uint32_t GtkLastUserTime();

// Handles the events GTK has pending, so that closed windows vanish from the screen at once.
void GtkFlushEvents();

struct GtkWidgetDeleter {
  void operator()(GtkWidget* widget) const { gtk_widget_destroy(widget); }
};
// A top-level widget that is destroyed when its owner goes.
using GtkWidgetPtr = std::unique_ptr<GtkWidget, GtkWidgetDeleter>;
