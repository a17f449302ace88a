// The artwork compiled into the program (res/veska.qrc). A resource file in
// a static library must be registered by name before its first use, or the
// linker drops it; the main window does so as it is made.
#pragma once

namespace veska::app {

void LoadResources();

}  // namespace veska::app
