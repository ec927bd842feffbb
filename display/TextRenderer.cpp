// TextRenderer: SDL_ttf rendering with a cache of the last line.
#include "display/TextRenderer.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <string>

#include "platform/ProgramOutput.h"

namespace {

SDL_Color ToColor(uint32_t colorRef) {
  return SDL_Color{static_cast<Uint8>(colorRef & 0xFF), static_cast<Uint8>((colorRef >> 8) & 0xFF),
                   static_cast<Uint8>((colorRef >> 16) & 0xFF), 0xFF};
}

}  // namespace

void TextRenderer::FontDeleter::operator()(TTF_Font* font) const { TTF_CloseFont(font); }

TextRenderer::TextRenderer(const char* fontPath) {
  if (TTF_Init() == 0) {
    ready_ = true;
    font_.reset(TTF_OpenFont(fontPath, kFontSize));
  }
  // Said once, here: without its font the frame-rate line is simply missing from every frame.
  if (!font_) {
    WriteErrorLine(std::string("cannot open the font ") + fontPath + " (" + TTF_GetError() +
                   "); the frame-rate line is not shown");
  }
}

TextRenderer::~TextRenderer() {
  rendered_.reset();
  font_.reset();
  if (ready_) TTF_Quit();
}

bool TextRenderer::Draw(SDL_Surface* target, int x, int y, const std::string& text,
                        uint32_t textColor, uint32_t backgroundColor) {
  if (!font_ || !target || text.empty()) return false;
  if (!rendered_ || text != text_ || textColor != textColor_ ||
      backgroundColor != backgroundColor_ || rendered_->format->format != target->format->format) {
    rendered_.reset();
    SdlSurfacePtr line(TTF_RenderText_Shaded(font_.get(), text.c_str(), ToColor(textColor),
                                             ToColor(backgroundColor)));
    if (!line) return false;
    // Converted once into the target's format, so that each frame only copies it.
    rendered_.reset(SDL_ConvertSurfaceFormat(line.get(), target->format->format, 0));
    if (!rendered_) return false;
    text_ = text;
    textColor_ = textColor;
    backgroundColor_ = backgroundColor;
  }
  SDL_Rect at{x, y, rendered_->w, rendered_->h};
  return SDL_BlitSurface(rendered_.get(), nullptr, target, &at) == 0;
}

int TextRenderer::Width() const { return rendered_ ? rendered_->w : 0; }

int TextRenderer::Height() const { return rendered_ ? rendered_->h : 0; }
