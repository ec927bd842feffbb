// Message boxes: GTK message dialogs, echoed to standard error.
#include "platform/MessageBox.h"

#include <algorithm>

#include "platform/Gtk.h"
#include "platform/PlatformState.h"
#include "platform/ProgramOutput.h"
#include "platform/StopSignals.h"

namespace {

MessageBoxHandler& Handler() { return ThePlatform().boxes.handler; }

bool& Echo() { return ThePlatform().boxes.echo; }

// The text's size beyond which it wraps or scrolls, as a share of the screen's work area, which
// leaves room for the frame, the title bar and the button.
constexpr int kMostTextWidthPercent = 80;
constexpr int kMostTextHeightPercent = 60;

// The text wraps at the box's width, inside a word when one is wider, and scrolls when it is
// taller than most of the screen, so that the box and its button always fit on the screen.
void FitText(GtkWidget* dialog) {
  GtkWidget* area = gtk_message_dialog_get_message_area(GTK_MESSAGE_DIALOG(dialog));
  GList* children = gtk_container_get_children(GTK_CONTAINER(area));
  GtkWidget* label = children ? GTK_WIDGET(children->data) : nullptr;
  g_list_free(children);
  if (!GTK_IS_LABEL(label)) return;
  gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
  gtk_label_set_line_wrap_mode(GTK_LABEL(label), PANGO_WRAP_WORD_CHAR);
  // A break inside a word gets no hyphen, which would read as part of a path.
  PangoAttrList* attributes = pango_attr_list_new();
  pango_attr_list_insert(attributes, pango_attr_insert_hyphens_new(FALSE));
  gtk_label_set_attributes(GTK_LABEL(label), attributes);
  pango_attr_list_unref(attributes);

  GdkRectangle screen{0, 0, 640, 480};
  GdkDisplay* display = gdk_display_get_default();
  GdkMonitor* monitor = display ? gdk_display_get_primary_monitor(display) : nullptr;
  if (!monitor && display) monitor = gdk_display_get_monitor(display, 0);
  if (monitor) gdk_monitor_get_workarea(monitor, &screen);
  GtkWidget* scroll = gtk_scrolled_window_new(nullptr, nullptr);
  GtkScrolledWindow* scrolled = GTK_SCROLLED_WINDOW(scroll);
  gtk_scrolled_window_set_policy(scrolled, GTK_POLICY_NEVER, GTK_POLICY_AUTOMATIC);
  gtk_scrolled_window_set_propagate_natural_width(scrolled, TRUE);
  gtk_scrolled_window_set_propagate_natural_height(scrolled, TRUE);
  gtk_scrolled_window_set_max_content_width(scrolled, screen.width * kMostTextWidthPercent / 100);
  gtk_scrolled_window_set_max_content_height(scrolled,
                                             screen.height * kMostTextHeightPercent / 100);
  g_object_ref(label);
  gtk_container_remove(GTK_CONTAINER(area), label);
  gtk_container_add(GTK_CONTAINER(scroll), label);
  g_object_unref(label);
  gtk_box_pack_start(GTK_BOX(area), scroll, TRUE, TRUE, 0);
  gtk_box_reorder_child(GTK_BOX(area), scroll, 0);
  gtk_widget_show_all(scroll);
  // The text in its scrolled area would take the focus first; Enter answers OK as before.
  GtkWidget* ok = gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
  if (ok) gtk_window_set_focus(GTK_WINDOW(dialog), ok);
}

void ShowNative(const std::string& text, const std::string& caption) {
  // After a stop signal no box waits for an answer.
  if (StopRequested() || !GtkAvailable()) return;
  GtkWidgetPtr dialog(gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_OTHER,
                                             GTK_BUTTONS_OK, "%s", text.c_str()));
  FitText(dialog.get());
  gtk_window_set_title(GTK_WINDOW(dialog.get()), caption.c_str());
  gtk_window_set_position(GTK_WINDOW(dialog.get()), GTK_WIN_POS_CENTER);
  gtk_window_set_keep_above(GTK_WINDOW(dialog.get()), TRUE);
  {
    const StopScope stop(
        [&dialog] { gtk_dialog_response(GTK_DIALOG(dialog.get()), GTK_RESPONSE_DELETE_EVENT); });
    gtk_dialog_run(GTK_DIALOG(dialog.get()));
  }
  dialog.reset();
  GtkFlushEvents();
}

}  // namespace

void ShowMessageBox(const std::string& text, const std::string& caption) {
  ++ThePlatform().boxes.shown;
  ThePlatform().boxes.last = text;
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

uint64_t MessageBoxesShown() { return ThePlatform().boxes.shown; }

std::string LastMessageBoxText() { return ThePlatform().boxes.last; }

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
