#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "base/Colour.h"

namespace veltrin {

class Digest;

// Moves the primitives of the data files to or from an open file, through a
// 4 096-byte buffer, with one call per field in either direction.
//
// Loading is bounded: every length is checked against what is left of the
// file before anything is allocated. The first failure sticks; later calls do
// nothing, so a serialize routine can run to its end and ask ok() once.
//
// A digest, when given, sees every byte read or written. Storing without a
// file only feeds the digest: that tells what a store would write.
class Archive {
public:
    enum class Mode { Load, Store };
    static constexpr std::size_t kBufferSize = 4096;

    // The file stays owned by the caller; fileSize bounds loading.
    Archive(std::FILE* file, Mode mode, std::uint64_t fileSize = 0, Digest* digest = nullptr);
    ~Archive();
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    bool IsStoring() const { return mode_ == Mode::Store; }
    bool IsLoading() const { return mode_ == Mode::Load; }

    void int32(std::int32_t& v);
    void colour(Colour& v);
    void float32(std::uint32_t& bits);  // kept as bits: a load and store is exact
    void time32(std::int32_t& v);
    void countedString(std::string& s);
    // Loads a counted string onto the end of out, which keeps its length
    // when the text cannot be read whole. False on failure.
    bool appendText(std::string& out) {
        // A short text that lies whole in the buffer is taken at once: this
        // runs for every field of every contact at start.
        const std::size_t buffered = bufLen_ - bufPos_;
        if (buffered > 0 && error_.empty()) {
            const std::size_t n = buffer_[bufPos_];
            if (n < 0xFF && n < buffered && n < remaining()) {
                out.append(reinterpret_cast<const char*>(buffer_.data() + bufPos_ + 1), n);
                bufPos_ += n + 1;
                position_ += n + 1;
                return true;
            }
        }
        return appendLongText(out);
    }
    // Takes count texts in one piece, as their bytes in the file (each a
    // length byte, then the text), when every one is short and all lie in
    // the buffer: a contact's fields are kept in that form. False, having
    // taken nothing, otherwise.
    bool takeShortTexts(int count, std::string& out) {
        if (!error_.empty()) return false;
        const std::size_t limit =
            static_cast<std::size_t>(std::min<std::uint64_t>(bufLen_ - bufPos_, remaining()));
        std::size_t at = 0;
        for (int i = 0; i < count; ++i) {
            if (at >= limit || buffer_[bufPos_ + at] == 0xFF) return false;
            at += std::size_t(buffer_[bufPos_ + at]) + 1;
        }
        if (at > limit) return false;
        out.assign(reinterpret_cast<const char*>(buffer_.data() + bufPos_), at);
        bufPos_ += at;
        position_ += at;
        return true;
    }
    // Stores a text as countedString does, from wherever it is held.
    void storeText(std::string_view s) {
        // A short text that fits the buffer goes in at once: this runs for
        // every field of every record of every save.
        if (s.size() < 0xFF && s.size() < kBufferSize - bufLen_ && error_.empty()) {
            unsigned char* at = buffer_.data() + bufLen_;
            *at = static_cast<unsigned char>(s.size());
            if (!s.empty()) std::memcpy(at + 1, s.data(), s.size());
            bufLen_ += s.size() + 1;
            position_ += s.size() + 1;
            return;
        }
        storeLongText(s);
    }

    // Reads a count for a collection and checks that each of its elements,
    // being at least minElementSize bytes, can still follow. A count of 0 or
    // less reads nothing.
    std::int32_t count(std::int32_t n, std::size_t minElementSize);

    // Writes out the rest of the buffer when storing. False on any failure.
    bool Close();

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }
    std::uint64_t errorOffset() const { return errorOffset_; }
    std::uint64_t position() const { return position_; }
    std::uint64_t remaining() const { return fileSize_ > position_ ? fileSize_ - position_ : 0; }

    void fail(const std::string& why);

    // The length prefix of a counted string of n bytes.
    static std::string lengthPrefix(std::uint64_t n);
    // Appends a text in the form storeText writes it, prefix and bytes, so
    // that texts held that way are stored by one storeEncoded.
    static void AppendEncoded(std::string& out, std::string_view s);
    // The text in that form that starts at pos of encoded, which must hold
    // only what AppendEncoded wrote; pos moves past it.
    static std::string_view EncodedTextAt(std::string_view encoded, std::size_t& pos);
    // Stores bytes that AppendEncoded made, as they are.
    void storeEncoded(std::string_view bytes) { writeBytes(bytes.data(), bytes.size()); }

private:
    void storeLongText(std::string_view s);
    bool appendLongText(std::string& out);
    bool readBytes(void* dst, std::size_t n);
    void writeBytes(const void* src, std::size_t n);
    bool readU8(std::uint8_t& v);
    bool readU16(std::uint16_t& v);
    bool readU32(std::uint32_t& v);
    void writeU32(std::uint32_t v);
    void writeOut(const unsigned char* bytes, std::size_t n);
    bool readLength(std::uint64_t& n, bool& utf16);
    // The length prefix of n bytes into out; returns how many bytes it takes.
    static std::size_t putLengthPrefix(std::uint64_t n, unsigned char (&out)[7]);
    void flush();

    std::FILE* file_;
    Mode mode_;
    Digest* digest_;
    std::uint64_t fileSize_;
    std::uint64_t position_ = 0;
    std::vector<unsigned char> buffer_;
    std::size_t bufPos_ = 0;
    std::size_t bufLen_ = 0;
    std::string error_;
    std::uint64_t errorOffset_ = 0;
    bool closed_ = false;
};

// A counted collection of records, each with Transfer(Archive&) and a
// kMinStoredSize. Storing writes the count and every record; loading appends
// each record read whole, so a damaged file keeps the records before the damage.
template <typename Record>
void TransferRecords(Archive& ar, std::vector<Record>& records) {
    const std::int32_t n = ar.count(static_cast<std::int32_t>(records.size()), Record::kMinStoredSize);
    if (ar.IsStoring()) {
        for (Record& r : records) r.Transfer(ar);
        return;
    }
    // The count is bounded by the bytes left, so this asks for no more than a
    // file of this size needs; growing by doubling would hold up to a third
    // of the vector unused for as long as the records are loaded.
    records.reserve(records.size() + static_cast<std::size_t>(n));
    for (std::int32_t i = 0; i < n && ar.ok(); ++i) {
        Record r;
        r.Transfer(ar);
        if (ar.ok()) records.push_back(std::move(r));
    }
}

// UTF-16LE code units to UTF-8; unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(const std::vector<std::uint16_t>& units);

}  // namespace veltrin
