#include "host/registry_api.h"

namespace cordalis {

bool IsPredefinedRoot(HKey key) {
  return key == kHkeyClassesRoot || key == kHkeyCurrentUser || key == kHkeyLocalMachine || key == kHkeyUsers ||
         key == kHkeyCurrentConfig;
}

}  // namespace cordalis
