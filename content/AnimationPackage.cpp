// AnimationPackage: loading shows the package's path; nothing reads the file.
#include "content/AnimationPackage.h"

#include "content/ContentReport.h"
#include "platform/MessageBox.h"

int32_t AnimationPackage::Load(const char* path) {
  ContentReport::ReportAnimation(path);
  ShowMessageBox(path);
  return 0;
}
