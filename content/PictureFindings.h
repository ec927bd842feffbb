// PictureFindings: what a picture the content names says about how the game will show it: a
// picture that does not load where the game goes on without it, a size other than the one the
// play screen draws it at, transparency the game ignores. Each finding is worded here and
// written by ContentFindings.
#pragma once

#include <string>
#include <vector>

#include "content/ContentFindings.h"

class Surface;

namespace PictureFindings {

// A finding about the line that names the picture, or, for a picture named by no file (a board
// overlay), about the picture itself; and whether the game says it on a start that goes on.
struct Finding {
  ContentFindings::Severity severity = ContentFindings::Severity::Warning;
  std::string text;
  bool aboutPicture = false;
  bool saidAtStart = false;
};

// The findings about the picture `which` at `path` that loaded as `surface` (null when it
// failed to load), in the order they are written.
std::vector<Finding> Check(ContentReport::Picture which, const char* path, const Surface* surface);

}  // namespace PictureFindings
