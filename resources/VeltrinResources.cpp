#include "VeltrinResources.h"

#include <mutex>

#include <QtGlobal>

// Q_INIT_RESOURCE declares the registration function in the enclosing
// namespace, so it is called from the global one.
static void registerVeltrinResources() { Q_INIT_RESOURCE(veltrin); }

namespace veltrin {

void EnsureVeltrinResources() {
    static std::once_flag once;
    std::call_once(once, registerVeltrinResources);
}

}  // namespace veltrin
