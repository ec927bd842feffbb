// Shutdown: release order and the error report.
#include "app/Shutdown.h"

#include "app/ContentSteps.h"
#include "display/DisplayDevice.h"
#include "platform/Errors.h"
#include "platform/MessageBox.h"

void Shutdown() {
  ReleaseContent();
  Display.reset();
  if (LastError != 0) ShowMessageBox(ErrorMessages[LastError]);
}
