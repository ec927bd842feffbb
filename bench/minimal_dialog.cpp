// A minimal GTK dialog of the same kind as the configuration dialog (a fixed-size modal
// window with a picture, two group boxes of radio buttons, a field and two buttons), for
// bench/dialog_launch.py to compare launch times with. Clicking a button ends it.
#include <gtk/gtk.h>

#include <utility>

int main(int argc, char** argv) {
  gtk_init(&argc, &argv);
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window), "Minimal dialog");
  gtk_window_set_type_hint(GTK_WINDOW(window), GDK_WINDOW_TYPE_HINT_DIALOG);
  gtk_window_set_modal(GTK_WINDOW(window), TRUE);
  gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
  gtk_window_set_position(GTK_WINDOW(window), GTK_WIN_POS_CENTER);
  GtkWidget* layout = gtk_fixed_new();
  gtk_widget_set_size_request(layout, 317, 192);
  gtk_container_add(GTK_CONTAINER(window), layout);
  gtk_fixed_put(GTK_FIXED(layout),
                gtk_image_new_from_icon_name("image-missing", GTK_ICON_SIZE_DIALOG), 2, 2);
  GtkWidget* depth = gtk_radio_button_new_with_label(nullptr, "16");
  gtk_fixed_put(GTK_FIXED(layout), gtk_frame_new("Color Depth"), 30, 57);
  gtk_fixed_put(GTK_FIXED(layout), depth, 38, 73);
  gtk_fixed_put(GTK_FIXED(layout),
                gtk_radio_button_new_with_label_from_widget(GTK_RADIO_BUTTON(depth), "32"), 38,
                106);
  GtkWidget* mode = gtk_radio_button_new_with_label(nullptr, "Windowed");
  gtk_fixed_put(GTK_FIXED(layout), gtk_frame_new("Mode"), 117, 57);
  gtk_fixed_put(GTK_FIXED(layout), mode, 120, 75);
  gtk_fixed_put(GTK_FIXED(layout),
                gtk_radio_button_new_with_label_from_widget(GTK_RADIO_BUTTON(mode), "Full Screen"),
                120, 89);
  GtkWidget* field = gtk_entry_new();
  gtk_entry_set_text(GTK_ENTRY(field), "60");
  gtk_fixed_put(GTK_FIXED(layout), field, 161, 128);
  for (const auto& [label, y] : {std::pair{"Start", 67}, std::pair{"Quit", 101}}) {
    GtkWidget* button = gtk_button_new_with_label(label);
    g_signal_connect(button, "clicked", G_CALLBACK(gtk_main_quit), nullptr);
    gtk_fixed_put(GTK_FIXED(layout), button, 222, y);
  }
  g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
  gtk_widget_show_all(window);
  gtk_main();
  return 0;
}
