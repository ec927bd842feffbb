// Message boxes: GTK message dialogs, echoed to standard error.
#include "platform/MessageBox.h"

#include <algorithm>

#include "platform/Gtk.h"
#include "platform/ProgramOutput.h"

namespace {

MessageBoxHandler& Handler() {
  static MessageBoxHandler handler;
  return handler;
}

struct Shown {
  uint64_t count = 0;
  std::string last;
};

Shown& TheShown() {
  static Shown shown;
  return shown;
}

bool& Echo() {
  static bool echo = true;
  return echo;
}

void ShowNative(const std::string& text, const std::string& caption) {
  if (!GtkAvailable()) return;
  GtkWidgetPtr dialog(gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_OTHER,
                                             GTK_BUTTONS_OK, "%s", text.c_str()));
  gtk_window_set_title(GTK_WINDOW(dialog.get()), caption.c_str());
  gtk_window_set_position(GTK_WINDOW(dialog.get()), GTK_WIN_POS_CENTER);
  gtk_window_set_keep_above(GTK_WINDOW(dialog.get()), TRUE);
  gtk_dialog_run(GTK_DIALOG(dialog.get()));
  dialog.reset();
  GtkFlushEvents();
}

}  // namespace

void ShowMessageBox(const std::string& text, const std::string& caption) {
  ++TheShown().count;
  TheShown().last = text;
  if (Echo()) {
    std::string line = text;
    std::replace(line.begin(), line.end(), '\n', ' ');
    WriteErrorLine(line);
  }
  if (Handler()) {
    Handler()(text, caption);
  } else {
    ShowNative(text, caption);
  }
}

uint64_t MessageBoxesShown() { return TheShown().count; }

std::string LastMessageBoxText() { return TheShown().last; }

void SetMessageBoxHandler(MessageBoxHandler handler) { Handler() = std::move(handler); }

void SetMessageBoxEcho(bool echo) { Echo() = echo; }

MessageBoxesHeld::MessageBoxesHeld() : handler_(std::move(Handler())), echo_(Echo()) {
  Handler() = [](const std::string&, const std::string&) {};
  Echo() = false;
}

MessageBoxesHeld::~MessageBoxesHeld() {
  Handler() = std::move(handler_);
  Echo() = echo_;
}
