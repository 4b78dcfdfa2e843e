#include "storage/Identifier.h"

#include <cstdlib>
#include <ctime>

namespace veltrin {

int DrawRandom() {
    static const bool seeded = [] {
        std::srand(static_cast<unsigned>(std::time(nullptr)));
        return true;
    }();
    (void)seeded;
    return std::rand();
}

std::int32_t DrawIdentifier() {
    return static_cast<std::int32_t>(DrawRandom() % (999999999 - 100 + 1) + 100);
}

}  // namespace veltrin
