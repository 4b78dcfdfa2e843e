#include "interop/ICalGuard.h"

namespace veltrin {

std::recursive_mutex& ICalGuard::Mutex() {
    static std::recursive_mutex mutex;
    return mutex;
}

}  // namespace veltrin
