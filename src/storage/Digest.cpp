#include "storage/Digest.h"

#define XXH_INLINE_ALL
#include <xxhash.h>

namespace veltrin {

struct Digest::State {
    XXH3_state_t xxh;
};

Digest::Digest() : state_(std::make_unique<State>()) { XXH3_128bits_reset(&state_->xxh); }

Digest::~Digest() = default;

void Digest::add(const void* bytes, std::size_t n) {
    XXH3_128bits_update(&state_->xxh, bytes, n);
    length_ += n;
}

DigestValue Digest::value() const {
    const XXH128_hash_t h = XXH3_128bits_digest(&state_->xxh);
    return {h.low64, h.high64, length_};
}

}  // namespace veltrin
