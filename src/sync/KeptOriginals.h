#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "storage/Originals.h"

namespace veltrin {

// One kind's part of the kept originals, as a sync changes it: what comes
// down is kept, what goes up replaces it, what is deleted goes with it.
class KeptOriginals {
public:
    // None kept when originals is null.
    KeptOriginals(Originals* originals, const char* kind, std::int64_t now)
        : originals_(originals), kind_(kind), now_(now) {}

    const Original* Find(const std::string& key) const {
        return originals_ ? originals_->find(kind_, key) : nullptr;
    }
    void Keep(const std::string& key, const std::string& text) {
        if (!originals_) return;
        originals_->of(kind_)[key] = Original{text, now_};
        changed_ = true;
    }
    void Drop(const std::string& key) {
        if (originals_ && originals_->of(kind_).erase(key)) changed_ = true;
    }
    // What went up is what the server holds now: the next edit patches that.
    void Sent(const std::string& key, const std::string& text) {
        if (Find(key)) Keep(key, text);
    }
    // Those of records that are no more.
    void DropUnless(const std::function<bool(const std::string& key)>& stays) {
        if (!originals_) return;
        auto& kept = originals_->of(kind_);
        for (auto it = kept.begin(); it != kept.end();) {
            if (stays(it->first)) {
                ++it;
                continue;
            }
            it = kept.erase(it);
            changed_ = true;
        }
    }
    bool Changed() const { return changed_; }

private:
    Originals* originals_;
    const char* kind_;
    std::int64_t now_;
    bool changed_ = false;
};

}  // namespace veltrin
