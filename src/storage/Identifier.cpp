#include "storage/Identifier.h"

#include <cstdlib>
#include <ctime>

namespace veltrin {

std::int32_t DrawIdentifier() {
    static const bool seeded = [] {
        std::srand(static_cast<unsigned>(std::time(nullptr)));
        return true;
    }();
    (void)seeded;
    return static_cast<std::int32_t>(std::rand() % (999999999 - 100 + 1) + 100);
}

}  // namespace veltrin
