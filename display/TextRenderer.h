// TextRenderer: a line of text in a TrueType font, written into a surface with an opaque
// background behind the letters. The rendered line is kept while text and colours stay the
// same, so an unchanged line costs one copy per frame.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "display/Surface.h"

struct SDL_Surface;
typedef struct _TTF_Font TTF_Font;

class TextRenderer {
 public:
  // The font of the frame-rate line: DejaVu Sans Bold, from Debian's fonts-dejavu-core.
  static constexpr const char* kFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
  static constexpr int kFontSize = 12;

  // Opens the font; a font that cannot be opened is reported once on standard error.
  explicit TextRenderer(const char* fontPath = kFontPath);
  ~TextRenderer();
  TextRenderer(const TextRenderer&) = delete;
  TextRenderer& operator=(const TextRenderer&) = delete;

  // Writes text with its top-left corner at x, y; colours are 0x00BBGGRR. False when no font
  // could be opened or the text not rendered; the target is then left as it was.
  bool Draw(SDL_Surface* target, int x, int y, const std::string& text, uint32_t textColor,
            uint32_t backgroundColor);
  // The size of the line last drawn.
  int Width() const;
  int Height() const;

 private:
  struct FontDeleter {
    void operator()(TTF_Font* font) const;
  };

  bool ready_ = false;
  std::unique_ptr<TTF_Font, FontDeleter> font_;
  std::string text_;
  uint32_t textColor_ = 0;
  uint32_t backgroundColor_ = 0;
  SdlSurfacePtr rendered_;
};
