// A minimal GTK dialog for bench/dialog_launch.py to compare the configuration dialog's launch
// with: gtk_dialog_new_with_buttons with a combo box, a check button and a field, and nothing
// that looks up an icon. A button, or closing it, ends it.
#include <gtk/gtk.h>

#include <initializer_list>

int main(int argc, char** argv) {
  gtk_init(&argc, &argv);
  GtkWidget* dialog =
      gtk_dialog_new_with_buttons("Minimal dialog", nullptr, GTK_DIALOG_MODAL, "Start",
                                  GTK_RESPONSE_OK, "Quit", GTK_RESPONSE_CANCEL, nullptr);
  GtkWidget* content = gtk_dialog_get_content_area(GTK_DIALOG(dialog));
  GtkWidget* depth = gtk_combo_box_text_new();
  for (const char* choice : {"16", "24", "32"}) {
    gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(depth), choice);
  }
  gtk_combo_box_set_active(GTK_COMBO_BOX(depth), 0);
  GtkWidget* field = gtk_entry_new();
  gtk_entry_set_text(GTK_ENTRY(field), "60");
  gtk_container_add(GTK_CONTAINER(content), depth);
  gtk_container_add(GTK_CONTAINER(content), gtk_check_button_new_with_label("Full Screen"));
  gtk_container_add(GTK_CONTAINER(content), field);
  gtk_widget_show_all(dialog);
  gtk_dialog_run(GTK_DIALOG(dialog));
  return 0;
}
