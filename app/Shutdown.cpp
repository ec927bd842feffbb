// Shutdown: release order and the error report.
#include "app/Shutdown.h"

#include "board/GameEngine.h"
#include "content/Character.h"
#include "display/DisplayDevice.h"
#include "platform/Errors.h"
#include "platform/MessageBox.h"

void Shutdown() {
  if (Characters) {
    for (int32_t i = 0; i < CharacterCount; ++i) Characters[i].reset();
    Characters.reset();
  }
  // The engine gives its surfaces back to the display, which must then find none alive.
  Engine.reset();
  Display.reset();
  if (LastError != 0) ShowMessageBox(ErrorMessages[LastError]);
}
