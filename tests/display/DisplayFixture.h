// DisplayFixture: a display device and a window on SDL's dummy video driver, message boxes
// captured, and the error code put back after each test; with helpers that make pictures with
// ImageMagick and read pictures back as plain RGB for comparison.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "display/DisplayDevice.h"
#include "display/Surface.h"
#include "platform/Errors.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"

// A picture as 8-bit R, G, B triples, rows top to bottom.
struct RgbPicture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;

  const uint8_t* At(int x, int y) const {
    return &rgb[(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3];
  }
};

// Runs ImageMagick's convert with the given arguments (each one shell-quoted here).
inline bool Convert(const std::vector<std::string>& arguments) {
  std::string command = "/usr/bin/convert";
  for (const std::string& argument : arguments) command += " '" + argument + "'";
  command += " 2>/dev/null";
  return std::system(command.c_str()) == 0;
}

// Reads any picture ImageMagick reads, as RGB; empty on failure.
inline RgbPicture ReadRgb(const std::string& picture, const std::string& scratchPpm) {
  RgbPicture result;
  if (!Convert({picture, "-alpha", "off", "-depth", "8", "ppm:" + scratchPpm})) return result;
  std::ifstream in(scratchPpm, std::ios::binary);
  std::string magic;
  int most = 0;
  in >> magic >> result.width >> result.height >> most;
  in.get();
  if (magic != "P6" || most != 255 || result.width <= 0 || result.height <= 0) return {};
  result.rgb.resize(static_cast<size_t>(result.width) * static_cast<size_t>(result.height) * 3);
  in.read(reinterpret_cast<char*>(result.rgb.data()),
          static_cast<std::streamsize>(result.rgb.size()));
  if (!in) return {};
  return result;
}

// Compares a loaded surface with a reference picture after mapping the reference's colours
// into the surface's pixel format, the way the display converts pictures at load. A picture
// stored with fewer bits a channel is compared at that precision, since readers widen such
// channels to 8 bits in slightly different ways.
inline ::testing::AssertionResult SamePicture(const Surface& surface, const RgbPicture& reference,
                                              const int (&bits)[3] = {8, 8, 8}) {
  if (surface.Width() != reference.width || surface.Height() != reference.height) {
    return ::testing::AssertionFailure()
           << "size " << surface.Width() << "x" << surface.Height() << ", reference "
           << reference.width << "x" << reference.height;
  }
  const SDL_PixelFormat* format = surface.Sdl()->format;
  const auto channels = [format, &bits](uint32_t pixel) {
    uint8_t rgb[3];
    SDL_GetRGB(pixel, format, &rgb[0], &rgb[1], &rgb[2]);
    return (rgb[0] >> (8 - bits[0])) << 16 | (rgb[1] >> (8 - bits[1])) << 8 |
           rgb[2] >> (8 - bits[2]);
  };
  int differing = 0;
  std::ostringstream first;
  for (int y = 0; y < reference.height; ++y) {
    for (int x = 0; x < reference.width; ++x) {
      const uint8_t* rgb = reference.At(x, y);
      const uint32_t expected = SDL_MapRGB(format, rgb[0], rgb[1], rgb[2]);
      const uint32_t actual = surface.Pixel(x, y);
      if (channels(actual) != channels(expected) && differing++ == 0) {
        first << " first at (" << x << ", " << y << "): 0x" << std::hex << actual
              << ", reference 0x" << expected;
      }
    }
  }
  if (differing == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << differing << " pixels differ;" << first.str();
}

// A file of the BMP test suite kept beside these tests ("g/pal8.bmp", ...).
inline std::string SuitePath(const std::string& name) {
  const char* root = std::getenv("TARNWICK_SOURCE_DIR");
  return std::string(root ? root : ".") + "/tests/display/bmpsuite/" + name;
}

class DisplayFixture : public ::testing::Test {
 protected:
  void SetUp() override { OpenPlatform("dummy"); }

  void TearDown() override {
    device.reset();
    ShutdownPlatform();
    SetMessageBoxHandler(nullptr);
    LastError = 0;
  }

  // Starts the video system on the named SDL driver with one window of the given client size.
  // TARNWICK_TEST_VIDEODRIVER=x11 runs the dummy driver's tests on a real display instead.
  void OpenPlatform(const char* driver, int width = 640, int height = 480) {
    const char* chosen = std::getenv("TARNWICK_TEST_VIDEODRIVER");
    setenv("SDL_VIDEODRIVER", chosen && std::string(driver) == "dummy" ? chosen : driver, 1);
    SetMessageBoxHandler([this](const std::string& text, const std::string& caption) {
      boxes.push_back(caption + ": " + text);
    });
    LastError = 0;
    ASSERT_TRUE(InitVideo()) << SDL_GetError();
    window = CreatePlatformWindow("Tarnwick", 50, 50, width, height, true, Procedure);
    ASSERT_NE(window, nullptr) << SDL_GetError();
  }

  static int64_t Procedure(WindowHandle, uint32_t, uint64_t, int64_t) { return 0; }

  // The window's own surface, where presented frames land.
  SDL_Surface* Screen() const { return SDL_GetWindowSurface(window->Sdl()); }

  static SDL_Color ScreenColor(SDL_Surface* screen, int x, int y) {
    const auto* at = static_cast<const uint8_t*>(screen->pixels) + ptrdiff_t{y} * screen->pitch +
                     ptrdiff_t{x} * screen->format->BytesPerPixel;
    uint32_t value = 0;
    std::memcpy(&value, at, screen->format->BytesPerPixel);
    SDL_Color color{0, 0, 0, 255};
    SDL_GetRGB(value, screen->format, &color.r, &color.g, &color.b);
    return color;
  }

  std::unique_ptr<DisplayDevice> device = std::make_unique<DisplayDevice>();
  WindowHandle window = nullptr;
  std::vector<std::string> boxes;
};
