#include "app/resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
static void InitVeskaResources() { Q_INIT_RESOURCE(veska); }

namespace veska::app {

void LoadResources() {
  static const bool loaded = (InitVeskaResources(), true);
  (void)loaded;
}

}  // namespace veska::app
