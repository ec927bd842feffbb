// AnimationPackage: an animation declared by a cell package. It holds no data; loading one
// shows its path, and nothing opens the file.
#pragma once

#include <cstdint>

class AnimationPackage {
 public:
  AnimationPackage() = default;
  virtual ~AnimationPackage() = default;

  // Shows the path in a message box and returns 0.
  int32_t Load(const char* path);
};
