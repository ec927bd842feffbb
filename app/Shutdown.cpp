// Shutdown: release order and the error report.
#include "app/Shutdown.h"

#include "app/ContentSteps.h"
#include "composition/FrameComposition.h"
#include "display/DisplayDevice.h"
#include "platform/Errors.h"
#include "platform/MessageBox.h"

void Shutdown() {
  ReleaseContent();
  // The board picture is the composition's surface of the display.
  FrameComposition::Release();
  Display.reset();
  if (LastError != 0) ShowMessageBox(ErrorMessages[LastError]);
}
