// Message boxes: GTK message dialogs, echoed to standard error.
#include "platform/MessageBox.h"

#include <algorithm>
#include <cstdio>

#include "platform/Gtk.h"
#include "platform/StopSignals.h"

namespace {

MessageBoxHandler& Handler() {
  static MessageBoxHandler handler;
  return handler;
}

bool& Echo() {
  static bool echo = true;
  return echo;
}

void ShowNative(const std::string& text, const std::string& caption) {
  // After a stop signal no box waits for an answer.
  if (StopRequested() || !GtkAvailable()) return;
  GtkWidgetPtr dialog(gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_OTHER,
                                             GTK_BUTTONS_OK, "%s", text.c_str()));
  gtk_window_set_title(GTK_WINDOW(dialog.get()), caption.c_str());
  gtk_window_set_position(GTK_WINDOW(dialog.get()), GTK_WIN_POS_CENTER);
  gtk_window_set_keep_above(GTK_WINDOW(dialog.get()), TRUE);
  const StopScope stop(
      [&dialog] { gtk_dialog_response(GTK_DIALOG(dialog.get()), GTK_RESPONSE_DELETE_EVENT); });
  gtk_dialog_run(GTK_DIALOG(dialog.get()));
  dialog.reset();
  GtkFlushEvents();
}

}  // namespace

void ShowMessageBox(const std::string& text, const std::string& caption) {
  if (Echo()) {
    std::string line = text;
    std::replace(line.begin(), line.end(), '\n', ' ');
    std::fprintf(stderr, "Tarnwick: %s\n", line.c_str());
    std::fflush(stderr);
  }
  if (Handler()) {
    Handler()(text, caption);
  } else {
    ShowNative(text, caption);
  }
}

void SetMessageBoxHandler(MessageBoxHandler handler) { Handler() = std::move(handler); }

void SetMessageBoxEcho(bool echo) { Echo() = echo; }
