// ConfigWindow: the configuration dialog on screen, a fixed-size modal GTK window around
// ConfigDialog.
#pragma once

#include <glib.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "app/ConfigDialog.h"
#include "platform/Gtk.h"

// Shows the configuration dialog until Start or Quit ends it and returns ConfigStart or
// ConfigQuit. Without a display to show it on, start-up goes on: ConfigStart at once.
int32_t ShowConfigDialog();

// Tests answer the dialog instead of showing it; an empty handler restores the window.
using ConfigDialogHandler = std::function<int32_t()>;
void SetConfigDialogHandler(ConfigDialogHandler handler);

class ConfigWindow {
 public:
  // Builds the window hidden, with the controls of the dialog laid out in dialog units. GTK
  // must be available.
  ConfigWindow();
  ~ConfigWindow();
  ConfigWindow(const ConfigWindow&) = delete;
  ConfigWindow& operator=(const ConfigWindow&) = delete;

  // Shows the window centred on the desktop and runs its own loop until the dialog has a
  // result; the window is gone from the screen when this returns.
  int32_t Run();
  // The top-level window, for inspecting the layout.
  GtkWidget* widget() const { return window_.get(); }

  // Dialog units to pixels at the base units of an 8-point dialog font (6 by 13 pixels),
  // rounded to nearest: 211 by 118 units are 317 by 192 pixels.
  static int ToPixelsX(int units);
  static int ToPixelsY(int units);
  // Larger text grows the dialog units with it, so that the template's arrangement keeps
  // every label whole: the font resolution over 96 dots per inch, never below 1. A window
  // takes the resolution GTK has when it is made.
  static double TextScale();

 private:
  struct StyleDeleter {
    void operator()(GtkCssProvider* provider) const;
  };
  struct LoopDeleter {
    void operator()(GMainLoop* loop) const { g_main_loop_unref(loop); }
  };

  GtkWidget* AddRadio(GtkWidget* group, int32_t id, const char* label, int x, int y, int width,
                      int height);
  GtkWidget* Place(GtkWidget* widget, int x, int y, int width, int height);
  // Static text, left-aligned or, with anchor 0.5, centred. A font wider than the template's
  // widens it around its anchor: 0 keeps the left edge, 0.5 the centre, 1 the right edge.
  GtkWidget* PlaceText(const char* text, int x, int y, int width, int height, float anchor);
  GtkWidget*& Radio(int32_t id) { return radios_[id - ConfigDialog::Depth16]; }
  // Ties the radio buttons first to last to the group box's label, for screen readers: the
  // buttons lie beside the box in the template, not in it.
  void LabelGroup(GtkWidget* frame, int32_t first, int32_t last);

  // Runs a click of Start or Quit through the dialog with the controls as the player left them.
  void Click(int32_t id);
  // Moves the check within a radio group in its template order, as arrow keys do on Windows.
  bool MoveInGroup(GtkWidget* radio, int step);
  // Tab moves through the controls in template order, not in screen order.
  bool MoveFocus(GtkDirectionType direction);

  // Once the window is on screen, the video system starts from GTK's main loop.
  static gboolean OnMapped(GtkWidget*, GdkEvent*, gpointer self);
  static gboolean StartVideo(gpointer self);

  static void OnClicked(GtkWidget* button, gpointer self);
  static gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer);
  static gboolean OnFrameRateKey(GtkWidget* entry, GdkEventKey* event, gpointer);
  static gboolean OnRadioKey(GtkWidget* radio, GdkEventKey* event, gpointer self);
  static gboolean OnFocus(GtkWidget*, GtkDirectionType direction, gpointer self);

  ConfigDialog dialog_;
  std::unique_ptr<GtkCssProvider, StyleDeleter> style_;
  std::unique_ptr<GMainLoop, LoopDeleter> loop_;
  GtkWidgetPtr window_;
  GtkWidget* layout_ = nullptr;
  GtkWidget* start_ = nullptr;
  GtkWidget* frameRate_ = nullptr;
  std::array<GtkWidget*, ConfigDialog::FullScreen - ConfigDialog::Depth16 + 1> radios_{};
  std::vector<GtkWidget*> tabOrder_;
  // The call that starts the video system, while it is pending.
  guint videoStart_ = 0;
  // The text scale of the window being built.
  static double textScale_;
};
