// PictureFindings: a loaded picture measured against the play screen, and its transparency.
#include "content/PictureFindings.h"

#include <utility>

#include "content/CharacterCell.h"
#include "content/GameFiles.h"
#include "display/BitmapFile.h"
#include "display/DisplayDevice.h"
#include "display/PlayScreen.h"

namespace {

using PictureFindings::Finding;
using Picture = ContentReport::Picture;
using Severity = ContentFindings::Severity;

// The sizes the play screen draws pictures at; a still picture may be taller than it must.
using PlayScreen::kBoardSide;
using PlayScreen::kButtonHeight;
using PlayScreen::kButtonWidth;
constexpr int32_t kStillWidth = PlayScreen::kSquareSide;
// A still picture drawn from above its square reaches the square's bottom edge from this height.
constexpr int32_t kStillHeight = PlayScreen::kSquareSide + CharacterCell::kStillRaise;

std::string Size(int32_t width, int32_t height) {
  return std::to_string(width) + " x " + std::to_string(height);
}

std::string Quote(std::string_view text) { return ContentFindings::Quote(text); }

// A warning about the line that names the picture; one the game says at start too, about
// something it leaves out; a finding about the picture itself.
Finding OnLine(std::string text) { return Finding{Severity::Warning, std::move(text)}; }

Finding SaidAtStart(std::string text) {
  Finding finding = OnLine(std::move(text));
  finding.saidAtStart = true;
  return finding;
}

Finding AboutPicture(Severity severity, std::string text) {
  Finding finding{severity, std::move(text)};
  finding.aboutPicture = true;
  return finding;
}

// A warning when a picture that loaded was made to be partly transparent.
void CheckTransparency(Picture which, const char* path, std::vector<Finding>& findings) {
  BitmapFile picture;
  if (!picture.Read(path) || !picture.MeansTransparency()) return;
  constexpr const char* kNames[] = {"background picture", "button picture", "button picture",
                                    "still picture", "board overlay"};
  const bool keyed = which == Picture::Still || which == Picture::Overlay;
  std::string text =
      std::string(kNames[static_cast<int>(which)]) + " " + Quote(path) +
      " has an alpha channel that makes parts of it see-through, which the game ignores: those "
      "parts are drawn in their own colour (a black box where transparency was meant); " +
      (keyed ? "make them pure green (0, 255, 0), the colour the game leaves out"
             : "this picture is always drawn whole");
  findings.push_back(which == Picture::Overlay ? AboutPicture(Severity::Warning, std::move(text))
                                               : OnLine(std::move(text)));
}

}  // namespace

namespace PictureFindings {

std::vector<Finding> Check(Picture which, const char* path, const Surface* surface) {
  std::vector<Finding> findings;
  const SurfaceRect size = DisplayDevice::GetSurfaceSize(surface);
  const std::string shown = size.right > 0 ? Size(size.right, size.bottom) : "";
  switch (which) {
    case Picture::Background:
      if (size.right < kBoardSide || size.bottom < kBoardSide) {
        findings.push_back(
            OnLine("background picture " + Quote(path) + " is " + shown + ", smaller than " +
                   Size(kBoardSide, kBoardSide) +
                   ": the game does not draw it at all, and the board shows black behind the "
                   "grid"));
      } else if (size.right != kBoardSide || size.bottom != kBoardSide) {
        findings.push_back(OnLine("background picture " + Quote(path) + " is " + shown + ", not " +
                                  Size(kBoardSide, kBoardSide) + ": only its top-left " +
                                  Size(kBoardSide, kBoardSide) + " pixels are drawn"));
      }
      break;
    case Picture::ButtonUp:
    case Picture::ButtonDown:
      if (!surface) {
        findings.push_back(SaidAtStart("button picture " + Quote(path) + " " +
                                       ContentReport::PictureTrouble(path) +
                                       "; the button stays empty"));
      } else if (size.right != kButtonWidth || size.bottom != kButtonHeight) {
        findings.push_back(OnLine("button picture " + Quote(path) + " is " + shown + ", not " +
                                  Size(kButtonWidth, kButtonHeight)));
      }
      break;
    case Picture::Still:
      if (size.right != kStillWidth) {
        findings.push_back(OnLine("still picture " + Quote(path) + " is " +
                                  std::to_string(size.right) + " pixels wide, not " +
                                  std::to_string(kStillWidth)));
      }
      if (surface && size.bottom < kStillHeight) {
        findings.push_back(OnLine(
            "still picture " + Quote(path) + " is " + std::to_string(size.bottom) +
            " pixels high, less than " + std::to_string(kStillHeight) +
            " (the game draws it from " + std::to_string(CharacterCell::kStillRaise) +
            " pixels above its square, so it floats " + std::to_string(kStillHeight - size.bottom) +
            " pixels above the square's bottom edge)"));
      }
      break;
    case Picture::Overlay:
      if (!surface) {
        findings.push_back(AboutPicture(
            Severity::Error, "board overlay " + ContentReport::PictureTrouble(path) +
                                 " (the game stops with \"" + kEngineFailureMessage + "\")"));
      } else if (size.right != kBoardSide || size.bottom != kBoardSide) {
        findings.push_back(AboutPicture(Severity::Warning, "board overlay is " + shown + ", not " +
                                                               Size(kBoardSide, kBoardSide)));
      }
      break;
  }
  if (surface) CheckTransparency(which, path, findings);
  return findings;
}

}  // namespace PictureFindings
