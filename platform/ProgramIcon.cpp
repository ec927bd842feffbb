// ProgramIcon: the embedded PNG decoded once by GdkPixbuf, for GTK as it is and for SDL as an
// RGBA surface over the same pixels.
#include "platform/ProgramIcon.h"

#include <SDL.h>
#include <gtk/gtk.h>

#include <cstdint>

#include "platform/PlatformState.h"

namespace {

constexpr uint8_t kIconPng[] = {
#include "platform/IconPng.inc"
};

// The decoded icon, kept for the life of the process; null when the picture cannot be read.
GdkPixbuf* Icon() {
  PlatformState::Gtk& gtk = ThePlatform().gtk;
  if (gtk.iconDecoded) return gtk.icon;
  gtk.iconDecoded = true;
  GdkPixbufLoader* loader = gdk_pixbuf_loader_new_with_type("png", nullptr);
  if (!loader) return nullptr;
  const bool written = gdk_pixbuf_loader_write(loader, kIconPng, sizeof kIconPng, nullptr);
  GdkPixbuf* picture = gdk_pixbuf_loader_close(loader, nullptr) && written
                           ? gdk_pixbuf_loader_get_pixbuf(loader)
                           : nullptr;
  if (picture) g_object_ref(picture);
  g_object_unref(loader);
  gtk.icon = picture;
  return picture;
}

}  // namespace

void SetGtkProgramIcon() {
  if (GdkPixbuf* icon = Icon()) gtk_window_set_default_icon(icon);
}

void SetSdlProgramIcon(SDL_Window* window) {
  GdkPixbuf* icon = Icon();
  if (!icon || gdk_pixbuf_get_bits_per_sample(icon) != 8) return;
  const bool alpha = gdk_pixbuf_get_has_alpha(icon);
  // GdkPixbuf keeps bytes in R, G, B(, A) order, which SDL names by byte order.
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
      gdk_pixbuf_get_pixels(icon), gdk_pixbuf_get_width(icon), gdk_pixbuf_get_height(icon),
      alpha ? 32 : 24, gdk_pixbuf_get_rowstride(icon),
      alpha ? SDL_PIXELFORMAT_RGBA32 : SDL_PIXELFORMAT_RGB24);
  if (!surface) return;
  SDL_SetWindowIcon(window, surface);
  SDL_FreeSurface(surface);
}
