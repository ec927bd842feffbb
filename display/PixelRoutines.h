// PixelRoutines: the display's pure pixel work on SDL surfaces in memory. Buffers, copies with
// and without a colour key, conversion of whole frames to a window's format, and scaling of a
// frame into a rectangle of a larger surface. Nothing here touches a window or the video
// system, so each routine is tested on surfaces alone.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <memory>

#include "display/Surface.h"

// A surface of the given size and format, cleared to black; null if SDL refuses it.
std::unique_ptr<Surface> NewBuffer(int64_t width, int64_t height, uint32_t format);

// Whether the rectangle lies inside the surface; the rectangle as SDL's x, y, w, h.
bool Inside(const SurfaceRect& rect, const Surface& surface);
SDL_Rect ToSdl(const SurfaceRect& rect);

// One-to-one copies between surfaces of one format: all pixels, or the picture's runs of
// pixels that are not the colour key. False when the copy converts or blends, for SDL to do.
bool CopyRows(const SDL_Surface& from, const SurfaceRect& fromRect, SDL_Surface& to,
              const SurfaceRect& toRect);
bool CopyRuns(const Surface& source, const SurfaceRect& fromRect, SDL_Surface& to,
              const SurfaceRect& toRect);

// Copies a whole 5-6-5 frame into a window's X-8-8-8 or A-8-8-8-8 surface at (x, y), each
// channel widened as SDL widens it; false for any other pair of formats, which SDL converts.
bool ConvertFrame(const SDL_Surface& from, SDL_Surface& to, int x, int y);

// Scaling of `from` into `area` of `to`, both of one format. Nearest-neighbour: target pixel x
// shows source pixel x * from.w / area.w, the rule by which a window maps the pointer back,
// so at an integer scale every source pixel is a sharp block. Sharp-bilinear: the picture as
// if scaled up by the next whole factor with nearest-neighbour and then linearly to the area,
// so that every source pixel looks the same size and only its edges blend, over at most one
// target pixel; it works on 4-byte pixels and scales others with nearest-neighbour.
void Stretch(const SDL_Surface& from, SDL_Surface& to, const SDL_Rect& area);
void StretchSharpBilinear(const SDL_Surface& from, SDL_Surface& to, const SDL_Rect& area);

// Blackens the surface around `area`.
void FillBars(SDL_Surface& screen, const SDL_Rect& area);
