// ConfigWindow: the dialog's widgets, its layout in dialog units and its modal loop.
#include "app/ConfigWindow.h"

#include <gdk/gdkkeysyms.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "platform/Platform.h"
#include "platform/StopSignals.h"

namespace {

// The logo's PNG bytes (313 by 52 pixels), taken from app/logo.png when the build is configured.
constexpr uint8_t kLogoPng[] = {
#include "app/LogoPng.inc"
};

constexpr const char* kTitle = "Tarnwick! Configuration";
constexpr const char* kCredit = "Tarnwick, a board set-up game\nMade with SDL2 and GTK 3";
constexpr const char* kIdKey = "tarnwick-control-id";
constexpr const char* kName = "tarnwick-config";
// From the dialog's mapping to the start of the video system, in milliseconds.
constexpr guint kVideoStartDelayMs = 150;

// Dialog size in dialog units.
constexpr int kWidth = 211;
constexpr int kHeight = 118;

// Keeps the theme's look but shrinks its paddings so that the controls fit the template's
// rectangles, as the controls of an 8-point dialog do.
constexpr const char* kStyle = R"(
#tarnwick-config { font-size: 8pt; }
#tarnwick-config button { min-height: 0; min-width: 0; padding: 0 6px; }
#tarnwick-config entry { min-height: 0; padding: 0 4px; }
#tarnwick-config radiobutton { min-height: 0; padding: 0; }
#tarnwick-config radiobutton radio { min-width: 13px; min-height: 13px; margin: 0 4px 0 0; }
)";
// Adwaita draws a checked radio button from an SVG picture, and from a PNG of the same picture
// where SVG cannot be read. At scale 1 the PNG gives the very same pixels and spares loading
// GDK's SVG loader (librsvg with what it needs), which the dialog would wait for at every start.
constexpr const char* kAdwaitaStyle = R"(
#tarnwick-config radiobutton radio:checked {
  -gtk-icon-source: -gtk-recolor(
    url("resource:///org/gtk/libgtk/theme/Adwaita/assets/bullet-symbolic.symbolic.png"));
}
)";

struct ObjectDeleter {
  void operator()(gpointer object) const { g_object_unref(object); }
};

// The logo as a picture; a broken embedded picture leaves the place empty.
std::unique_ptr<GdkPixbuf, ObjectDeleter> LoadLogo() {
  std::unique_ptr<GdkPixbufLoader, ObjectDeleter> loader(
      gdk_pixbuf_loader_new_with_type("png", nullptr));
  if (!loader) return nullptr;
  const bool written = gdk_pixbuf_loader_write(loader.get(), kLogoPng, sizeof kLogoPng, nullptr);
  if (!gdk_pixbuf_loader_close(loader.get(), nullptr) || !written) return nullptr;
  GdkPixbuf* picture = gdk_pixbuf_loader_get_pixbuf(loader.get());
  if (!picture) return nullptr;
  return std::unique_ptr<GdkPixbuf, ObjectDeleter>(GDK_PIXBUF(g_object_ref(picture)));
}

// Whether GTK draws with its own Adwaita theme (GTK_THEME, else the desktop's setting), light or
// dark, at scale 1.
bool AdwaitaAtScaleOne() {
  GdkMonitor* monitor = gdk_display_get_monitor(gdk_display_get_default(), 0);
  if (monitor && gdk_monitor_get_scale_factor(monitor) != 1) return false;
  gchar* setting = nullptr;
  const char* forced = g_getenv("GTK_THEME");
  if (!forced) g_object_get(gtk_settings_get_default(), "gtk-theme-name", &setting, nullptr);
  const std::string theme = forced ? forced : setting ? setting : "";
  g_free(setting);
  return theme.substr(0, theme.find_first_of(":-")) == "Adwaita";
}

int32_t ControlId(GtkWidget* widget) {
  return GPOINTER_TO_INT(g_object_get_data(G_OBJECT(widget), kIdKey));
}

ConfigDialogHandler& DialogHandler() {
  static ConfigDialogHandler handler;
  return handler;
}

}  // namespace

void SetConfigDialogHandler(ConfigDialogHandler handler) { DialogHandler() = std::move(handler); }

int32_t ShowConfigDialog() {
  if (DialogHandler()) return DialogHandler()();
  if (!GtkAvailable()) return ConfigStart;
  ConfigWindow window;
  return window.Run();
}

void ConfigWindow::StyleDeleter::operator()(GtkCssProvider* provider) const {
  gtk_style_context_remove_provider_for_screen(gdk_screen_get_default(),
                                               GTK_STYLE_PROVIDER(provider));
  g_object_unref(provider);
}

double ConfigWindow::textScale_ = 1.0;

int ConfigWindow::ToPixelsX(int units) {
  return static_cast<int>(std::floor(units * 6 * textScale_ / 4 + 0.5));
}

int ConfigWindow::ToPixelsY(int units) {
  return static_cast<int>(std::floor(units * 13 * textScale_ / 8 + 0.5));
}

double ConfigWindow::TextScale() {
  // GTK's settings fix the resolution (Xft.dpi times GDK_DPI_SCALE) when they are first read.
  gtk_settings_get_default();
  const double resolution = gdk_screen_get_resolution(gdk_screen_get_default());
  return resolution > 96 ? resolution / 96 : 1.0;
}

ConfigWindow::ConfigWindow() : loop_(g_main_loop_new(nullptr, FALSE)) {
  textScale_ = TextScale();
  GtkCssProvider* provider = gtk_css_provider_new();
  const std::string style = std::string(kStyle) + (AdwaitaAtScaleOne() ? kAdwaitaStyle : "");
  gtk_css_provider_load_from_data(provider, style.c_str(), -1, nullptr);
  gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(provider),
                                            GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  style_.reset(provider);

  window_.reset(gtk_window_new(GTK_WINDOW_TOPLEVEL));
  GtkWindow* window = GTK_WINDOW(window_.get());
  gtk_widget_set_name(window_.get(), kName);
  gtk_window_set_title(window, kTitle);
  gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_DIALOG);
  gtk_window_set_modal(window, TRUE);
  gtk_window_set_resizable(window, FALSE);
  gtk_window_set_position(window, GTK_WIN_POS_CENTER);
  g_signal_connect(window_.get(), "delete-event", G_CALLBACK(OnDelete), nullptr);
  g_signal_connect(window_.get(), "map-event", G_CALLBACK(OnMapped), this);

  layout_ = gtk_fixed_new();
  gtk_widget_set_size_request(layout_, ToPixelsX(kWidth), ToPixelsY(kHeight));
  gtk_container_add(GTK_CONTAINER(window), layout_);
  g_signal_connect(layout_, "focus", G_CALLBACK(OnFocus), this);

  // The controls in template order, which is also the order they are drawn in.
  start_ = Place(gtk_button_new_with_label("Start"), 148, 41, 50, 14);
  GtkWidget* quit = Place(gtk_button_new_with_label("Quit"), 148, 62, 50, 14);
  g_object_set_data(G_OBJECT(start_), kIdKey, GINT_TO_POINTER(ConfigDialog::StartButton));
  g_object_set_data(G_OBJECT(quit), kIdKey, GINT_TO_POINTER(ConfigDialog::QuitButton));
  g_signal_connect(start_, "clicked", G_CALLBACK(OnClicked), this);
  g_signal_connect(quit, "clicked", G_CALLBACK(OnClicked), this);
  gtk_widget_set_can_default(start_, TRUE);
  gtk_window_set_default(window, start_);

  GtkWidget* depthFrame = Place(gtk_frame_new("Color Depth"), 20, 35, 51, 40);
  GtkWidget* depth = AddRadio(nullptr, ConfigDialog::Depth16, "16", 25, 45, 25, 8);
  AddRadio(depth, ConfigDialog::Depth32, "32", 25, 65, 24, 8);
  AddRadio(depth, ConfigDialog::Depth24, "24", 25, 55, 23, 8);
  LabelGroup(depthFrame, ConfigDialog::Depth16, ConfigDialog::Depth24);

  PlaceText(kCredit, 48, 95, 104, 18, 0.5f);

  GtkWidget* modeFrame = Place(gtk_frame_new("Mode"), 78, 35, 57, 40);
  GtkWidget* mode = AddRadio(nullptr, ConfigDialog::Windowed, "Windowed", 80, 46, 50, 10);
  AddRadio(mode, ConfigDialog::FullScreen, "Full Screen", 80, 55, 50, 10);
  LabelGroup(modeFrame, ConfigDialog::Windowed, ConfigDialog::FullScreen);

  // Kept clear of the field on its right.
  GtkWidget* frameRateLabel = PlaceText("Maximum Framerate", 41, 81, 63, 10, 1.0f);

  frameRate_ = Place(gtk_entry_new(), 107, 79, 50, 12);
  // Screen readers name the field by its label, and know the label as the field's.
  gtk_label_set_mnemonic_widget(GTK_LABEL(frameRateLabel), frameRate_);
  atk_object_set_name(gtk_widget_get_accessible(frameRate_),
                      gtk_label_get_text(GTK_LABEL(frameRateLabel)));
  gtk_entry_set_width_chars(GTK_ENTRY(frameRate_), 1);
  gtk_entry_set_activates_default(GTK_ENTRY(frameRate_), TRUE);
  g_signal_connect(frameRate_, "key-press-event", G_CALLBACK(OnFrameRateKey), nullptr);
  tabOrder_ = {start_,
               quit,
               Radio(ConfigDialog::Depth16),
               Radio(ConfigDialog::Depth32),
               Radio(ConfigDialog::Depth24),
               Radio(ConfigDialog::Windowed),
               Radio(ConfigDialog::FullScreen),
               frameRate_};

  // The picture control takes the picture's own size.
  auto logo = LoadLogo();
  GtkWidget* picture = logo ? gtk_image_new_from_pixbuf(logo.get()) : gtk_image_new();
  gtk_fixed_put(GTK_FIXED(layout_), picture, ToPixelsX(1), ToPixelsY(1));

  dialog_.InitDialog();
  for (int32_t id = ConfigDialog::Depth16; id <= ConfigDialog::FullScreen; ++id) {
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(Radio(id)), dialog_.IsChecked(id));
  }
  gtk_entry_set_text(GTK_ENTRY(frameRate_), dialog_.FrameRateText().c_str());
  gtk_widget_grab_focus(start_);

  // A modal frame: the title bar offers moving and closing only.
  gtk_widget_realize(window_.get());
  GdkWindow* frame = gtk_widget_get_window(window_.get());
  gdk_window_set_decorations(
      frame, static_cast<GdkWMDecoration>(GDK_DECOR_BORDER | GDK_DECOR_TITLE | GDK_DECOR_MENU));
  gdk_window_set_functions(frame, static_cast<GdkWMFunction>(GDK_FUNC_MOVE | GDK_FUNC_CLOSE));
}

ConfigWindow::~ConfigWindow() {
  if (videoStart_) g_source_remove(videoStart_);
  window_.reset();
  GtkFlushEvents();
}

int32_t ConfigWindow::Run() {
  gtk_widget_show_all(window_.get());
  gtk_window_present(GTK_WINDOW(window_.get()));

  // A stop signal is answered as the Quit button is.
  const StopScope stop([this] { Click(ConfigDialog::QuitButton); });
  if (StopRequested()) Click(ConfigDialog::QuitButton);
  while (dialog_.Result() == 0) g_main_loop_run(loop_.get());
  gtk_widget_hide(window_.get());
  GtkFlushEvents();
  return dialog_.Result();
}

GtkWidget* ConfigWindow::Place(GtkWidget* widget, int x, int y, int width, int height) {
  gtk_widget_set_size_request(widget, ToPixelsX(width), ToPixelsY(height));
  gtk_fixed_put(GTK_FIXED(layout_), widget, ToPixelsX(x), ToPixelsY(y));
  return widget;
}

GtkWidget* ConfigWindow::PlaceText(const char* text, int x, int y, int width, int height,
                                   float anchor) {
  GtkWidget* label = Place(gtk_label_new(text), x, y, width, height);
  gtk_label_set_justify(GTK_LABEL(label), anchor == 0.5f ? GTK_JUSTIFY_CENTER : GTK_JUSTIFY_LEFT);
  gtk_label_set_xalign(GTK_LABEL(label), anchor == 0.5f ? 0.5f : 0.0f);
  gtk_label_set_yalign(GTK_LABEL(label), 0.0f);
  // A hidden widget asks for no room, so it is measured shown.
  gtk_widget_show(label);
  int needed = 0;
  gtk_widget_get_preferred_width(label, &needed, nullptr);
  const int excess = needed - ToPixelsX(width);
  if (excess > 0) {
    gtk_fixed_move(GTK_FIXED(layout_), label, ToPixelsX(x) - static_cast<int>(excess * anchor),
                   ToPixelsY(y));
  }
  return label;
}

GtkWidget* ConfigWindow::AddRadio(GtkWidget* group, int32_t id, const char* label, int x, int y,
                                  int width, int height) {
  GtkWidget* radio =
      group ? gtk_radio_button_new_with_label_from_widget(GTK_RADIO_BUTTON(group), label)
            : gtk_radio_button_new_with_label(nullptr, label);
  g_object_set_data(G_OBJECT(radio), kIdKey, GINT_TO_POINTER(id));
  g_signal_connect(radio, "key-press-event", G_CALLBACK(OnRadioKey), this);
  Radio(id) = radio;
  return Place(radio, x, y, width, height);
}

void ConfigWindow::LabelGroup(GtkWidget* frame, int32_t first, int32_t last) {
  AtkObject* group = gtk_widget_get_accessible(gtk_frame_get_label_widget(GTK_FRAME(frame)));
  for (int32_t id = first; id <= last; ++id) {
    AtkObject* radio = gtk_widget_get_accessible(Radio(id));
    // GTK fills in a radio button's group membership the first time its relations are asked
    // for, and asserts there when the set holds other relations by then: ask before adding.
    g_object_unref(atk_object_ref_relation_set(radio));
    atk_object_add_relationship(radio, ATK_RELATION_LABELLED_BY, group);
    atk_object_add_relationship(group, ATK_RELATION_LABEL_FOR, radio);
  }
}

void ConfigWindow::Click(int32_t id) {
  for (int32_t radio = ConfigDialog::Depth16; radio <= ConfigDialog::FullScreen; ++radio) {
    dialog_.SetChecked(radio, gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(Radio(radio))));
  }
  dialog_.SetFrameRateText(gtk_entry_get_text(GTK_ENTRY(frameRate_)));
  dialog_.Command(ConfigDialog::Clicked, static_cast<uint16_t>(id));
  if (dialog_.Result() != 0) g_main_loop_quit(loop_.get());
}

bool ConfigWindow::MoveInGroup(GtkWidget* radio, int step) {
  const int32_t id = ControlId(radio);
  const bool depth = id <= ConfigDialog::Depth24;
  const int32_t first = depth ? ConfigDialog::Depth16 : ConfigDialog::Windowed;
  const int32_t count = depth ? 3 : 2;
  const int32_t next = first + ((id - first) + step + count) % count;
  gtk_widget_grab_focus(Radio(next));
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(Radio(next)), TRUE);
  return true;
}

bool ConfigWindow::MoveFocus(GtkDirectionType direction) {
  const bool forward = direction == GTK_DIR_TAB_FORWARD;
  if (!forward && direction != GTK_DIR_TAB_BACKWARD) return false;
  const int count = static_cast<int>(tabOrder_.size());
  GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window_.get()));
  const auto found = std::find(tabOrder_.begin(), tabOrder_.end(), focus);
  int index = found == tabOrder_.end() ? (forward ? -1 : count)
                                       : static_cast<int>(found - tabOrder_.begin());
  // Radio buttons refuse the focus unless they are the checked one of their group.
  for (index += forward ? 1 : -1; index >= 0 && index < count; index += forward ? 1 : -1) {
    if (gtk_widget_child_focus(tabOrder_[index], direction)) return true;
  }
  return false;
}

gboolean ConfigWindow::OnMapped(GtkWidget*, GdkEvent*, gpointer self) {
  auto* window = static_cast<ConfigWindow*>(self);
  // A moment after the dialog is mapped, once it is drawn and the X server has shown it; far
  // sooner than a player reads the dialog and presses Start.
  if (!window->videoStart_) {
    window->videoStart_ = g_timeout_add(kVideoStartDelayMs, StartVideo, self);
  }
  return FALSE;
}

gboolean ConfigWindow::StartVideo(gpointer self) {
  static_cast<ConfigWindow*>(self)->videoStart_ = 0;
  InitVideo();
  return G_SOURCE_REMOVE;
}

void ConfigWindow::OnClicked(GtkWidget* button, gpointer self) {
  static_cast<ConfigWindow*>(self)->Click(ControlId(button));
}

// The close box sends a cancel that the dialog ignores.
gboolean ConfigWindow::OnDelete(GtkWidget*, GdkEvent*, gpointer) { return TRUE; }

// Typed characters other than digits are refused; keys with Ctrl or Alt (paste among them),
// editing and movement keys pass, so pasted text may hold anything.
gboolean ConfigWindow::OnFrameRateKey(GtkWidget* entry, GdkEventKey* event, gpointer) {
  if (event->state & (GDK_CONTROL_MASK | GDK_MOD1_MASK)) return FALSE;
  const gunichar typed = gdk_keyval_to_unicode(event->keyval);
  if (typed == 0 || g_unichar_iscntrl(typed) || (typed >= '0' && typed <= '9')) return FALSE;
  gtk_widget_error_bell(entry);
  return TRUE;
}

gboolean ConfigWindow::OnRadioKey(GtkWidget* radio, GdkEventKey* event, gpointer self) {
  switch (event->keyval) {
    case GDK_KEY_Up:
    case GDK_KEY_Left:
    case GDK_KEY_KP_Up:
    case GDK_KEY_KP_Left:
      return static_cast<ConfigWindow*>(self)->MoveInGroup(radio, -1);
    case GDK_KEY_Down:
    case GDK_KEY_Right:
    case GDK_KEY_KP_Down:
    case GDK_KEY_KP_Right:
      return static_cast<ConfigWindow*>(self)->MoveInGroup(radio, 1);
    default:
      return FALSE;
  }
}

gboolean ConfigWindow::OnFocus(GtkWidget*, GtkDirectionType direction, gpointer self) {
  return static_cast<ConfigWindow*>(self)->MoveFocus(direction);
}
