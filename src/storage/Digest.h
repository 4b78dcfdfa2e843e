#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace veltrin {

// What a run of bytes amounts to: a 128-bit hash and the length. Two files
// with the same value hold the same bytes for every practical purpose.
struct DigestValue {
    std::uint64_t low = 0;
    std::uint64_t high = 0;
    std::uint64_t length = 0;
    bool operator==(const DigestValue& o) const {
        return low == o.low && high == o.high && length == o.length;
    }
    bool operator!=(const DigestValue& o) const { return !(*this == o); }
};

// Hashes bytes as they stream past, fast enough to ride along with every
// load and store.
class Digest {
public:
    Digest();
    ~Digest();
    Digest(const Digest&) = delete;
    Digest& operator=(const Digest&) = delete;

    void add(const void* bytes, std::size_t n);
    DigestValue value() const;

private:
    struct State;
    std::unique_ptr<State> state_;
    std::uint64_t length_ = 0;
};

}  // namespace veltrin
