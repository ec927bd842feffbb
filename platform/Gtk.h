// GTK start-up, once per process, and ownership of the widgets the program makes.
#pragma once

#include <gtk/gtk.h>

#include <memory>

// True when GTK could open the display; the first call initialises it.
bool GtkAvailable();

// Handles the events GTK has pending, so that closed windows vanish from the screen at once.
void GtkFlushEvents();

struct GtkWidgetDeleter {
  void operator()(GtkWidget* widget) const { gtk_widget_destroy(widget); }
};
// A top-level widget that is destroyed when its owner goes.
using GtkWidgetPtr = std::unique_ptr<GtkWidget, GtkWidgetDeleter>;
