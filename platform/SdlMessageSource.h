// SdlMessageSource: window messages translated from SDL's events, and the waits of the frame
// loop: on the event queue while the deadline is far, then to the deadline precisely. A Wayland
// compositor that goes away makes the quit message, with exit code 1.
#pragma once

#include <SDL.h>

#include "platform/MessageSource.h"
#include "platform/MonotonicCounter.h"

class SdlMessageSource : public MessageSource {
 public:
  SdlMessageSource();

  bool Poll(Message& message) override;
  void Wait() override;
  void WaitUntil(int64_t deadline) override;
  // A descriptor besides the window system's whose input also ends a wait; -1 for none.
  void SetWakeDescriptor(int fd) { wake_ = fd; }

  // The message an SDL event stands for; false for events that make none. Pointer events off
  // the play screen make one only in the window given as holding the left button.
  static bool Translate(const SDL_Event& event, Message& message, uint32_t leftHeldIn = 0);
  // The Windows virtual-key code of an SDL key held with the modifiers `mod`; 0 for keys
  // without one.
  static int32_t VirtualKey(SDL_Keycode key, uint16_t mod);

 private:
  // When the window system refuses SDL the mouse, a left release outside comes in no window;
  // this puts it in the window of its press.
  static void PlaceInWindow(SDL_Event& release, uint32_t windowId);

  MonotonicCounter clock_;
  // Whether the window system may have sent something since events were last fetched from it:
  // only then, or once a second, does a poll fetch again.
  bool mayHaveInput_ = true;
  int64_t lastFetch_ = 0;
  // The SDL window a left press was delivered to, until its release; 0 when none is held.
  uint32_t pressedWindow_ = 0;
  int wake_ = -1;
};
