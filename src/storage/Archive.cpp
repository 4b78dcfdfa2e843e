#include "storage/Archive.h"

#include <cerrno>
#include <cstring>

#include "storage/Digest.h"
#include "storage/StoredText.h"

namespace veltrin {

Archive::Archive(std::FILE* file, Mode mode, std::uint64_t fileSize, Digest* digest)
    : file_(file), mode_(mode), digest_(digest), fileSize_(fileSize), buffer_(kBufferSize) {}

Archive::~Archive() { Close(); }

void Archive::fail(const std::string& why) {
    if (!error_.empty()) return;
    error_ = why;
    errorOffset_ = position_;
}

bool Archive::readBytes(void* dst, std::size_t n) {
    // Most fields lie whole in the buffer already.
    if (n <= bufLen_ - bufPos_ && n <= remaining() && ok()) {
        std::memcpy(dst, buffer_.data() + bufPos_, n);
        bufPos_ += n;
        position_ += n;
        return true;
    }
    if (!ok()) return false;
    if (n > remaining()) {
        fail("the file ends too early");
        return false;
    }
    auto* out = static_cast<unsigned char*>(dst);
    while (n > 0) {
        if (bufPos_ == bufLen_) {
            bufPos_ = 0;
            bufLen_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
            if (bufLen_ == 0) {
                fail(std::ferror(file_) ? "the file cannot be read" : "the file ends too early");
                return false;
            }
            if (digest_) digest_->add(buffer_.data(), bufLen_);
        }
        const std::size_t take = std::min(n, bufLen_ - bufPos_);
        std::memcpy(out, buffer_.data() + bufPos_, take);
        bufPos_ += take;
        out += take;
        n -= take;
        position_ += take;
    }
    return true;
}

void Archive::writeBytes(const void* src, std::size_t n) {
    if (!ok()) return;
    if (n <= buffer_.size() - bufLen_) {
        std::memcpy(buffer_.data() + bufLen_, src, n);
        bufLen_ += n;
        position_ += n;
        return;
    }
    auto* in = static_cast<const unsigned char*>(src);
    if (n >= buffer_.size()) {  // large texts go straight through
        flush();
        writeOut(in, n);
        if (ok()) position_ += n;
        return;
    }
    while (n > 0) {
        if (bufLen_ == buffer_.size()) flush();
        if (!ok()) return;
        const std::size_t take = std::min(n, buffer_.size() - bufLen_);
        std::memcpy(buffer_.data() + bufLen_, in, take);
        bufLen_ += take;
        in += take;
        n -= take;
        position_ += take;
    }
}

void Archive::writeOut(const unsigned char* bytes, std::size_t n) {
    if (!ok()) return;
    if (digest_) digest_->add(bytes, n);
    if (file_ && std::fwrite(bytes, 1, n, file_) != n)
        fail(std::string("the file cannot be written (") + std::strerror(errno) + ")");
}

void Archive::flush() {
    if (bufLen_ == 0 || !ok()) return;
    writeOut(buffer_.data(), bufLen_);
    bufLen_ = 0;
}

bool Archive::readU8(std::uint8_t& v) { return readBytes(&v, 1); }

bool Archive::readU16(std::uint16_t& v) {
    unsigned char b[2];
    if (!readBytes(b, 2)) return false;
    v = static_cast<std::uint16_t>(b[0] | (b[1] << 8));
    return true;
}

bool Archive::readU32(std::uint32_t& v) {
    unsigned char b[4];
    if (!readBytes(b, 4)) return false;
    v = static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
        (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
    return true;
}

void Archive::writeU32(std::uint32_t v) {
    const unsigned char b[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                                static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
    writeBytes(b, 4);
}

void Archive::int32(std::int32_t& v) {
    if (IsStoring()) {
        writeU32(static_cast<std::uint32_t>(v));
        return;
    }
    std::uint32_t u;
    if (readU32(u)) v = static_cast<std::int32_t>(u);
}

void Archive::colour(Colour& v) {
    if (IsStoring()) {
        writeU32(v);
        return;
    }
    std::uint32_t u;
    if (readU32(u)) v = u;
}

void Archive::float32(std::uint32_t& bits) { colour(bits); }

void Archive::time32(std::int32_t& v) { int32(v); }

std::size_t Archive::putLengthPrefix(std::uint64_t n, unsigned char (&out)[7]) {
    std::size_t at = 0;
    auto put = [&out, &at](std::uint64_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) out[at++] = static_cast<unsigned char>((v >> (8 * i)) & 0xFF);
    };
    if (n < 0xFF) {
        put(n, 1);
    } else if (n < 0xFFFE) {
        put(0xFF, 1);
        put(n, 2);
    } else {
        put(0xFFFFFF, 3);
        put(n, 4);
    }
    return at;
}

std::string Archive::lengthPrefix(std::uint64_t n) {
    unsigned char p[7];
    return std::string(reinterpret_cast<const char*>(p), putLengthPrefix(n, p));
}

void Archive::AppendEncoded(std::string& out, std::string_view s) {
    unsigned char p[7];
    out.append(reinterpret_cast<const char*>(p), putLengthPrefix(s.size(), p));
    out.append(s);
}

std::string_view Archive::EncodedTextAt(std::string_view encoded, std::size_t& pos) {
    const auto byte = [&encoded](std::size_t at) {
        return static_cast<std::uint64_t>(static_cast<unsigned char>(encoded[at]));
    };
    std::uint64_t n = byte(pos);
    if (n < 0xFF) {
        pos += 1;
    } else if ((n = byte(pos + 1) | byte(pos + 2) << 8) < 0xFFFF) {
        pos += 3;
    } else {
        n = byte(pos + 3) | byte(pos + 4) << 8 | byte(pos + 5) << 16 | byte(pos + 6) << 24;
        pos += 7;
    }
    const std::string_view text = encoded.substr(pos, static_cast<std::size_t>(n));
    pos += static_cast<std::size_t>(n);
    return text;
}

bool Archive::readLength(std::uint64_t& n, bool& utf16) {
    utf16 = false;
    std::uint8_t b;
    if (!readU8(b)) return false;
    if (b < 0xFF) {
        n = b;
        return true;
    }
    std::uint16_t w;
    if (!readU16(w)) return false;
    if (w == 0xFFFE) {
        // A second prefix of the same form follows, counting 16-bit units.
        bool nested;
        if (!readLength(n, nested)) return false;
        if (nested) {
            fail("a text has a damaged length");
            return false;
        }
        utf16 = true;
        return true;
    }
    if (w < 0xFFFF) {
        n = w;
        return true;
    }
    std::uint32_t d;
    if (!readU32(d)) return false;
    n = d;
    return true;
}

void Archive::storeLongText(std::string_view s) {
    unsigned char prefix[7];
    writeBytes(prefix, putLengthPrefix(s.size(), prefix));
    writeBytes(s.data(), s.size());
}

void Archive::countedString(std::string& s) {
    if (IsStoring()) {
        storeText(s);
        return;
    }
    std::string read;
    if (appendText(read)) s = std::move(read);
}

bool Archive::appendLongText(std::string& out) {
    std::uint64_t n;
    bool utf16;
    if (!readLength(n, utf16)) return false;
    const std::uint64_t bytes = utf16 ? n * 2 : n;
    if (bytes > remaining()) {
        fail("a text is longer than the rest of the file");
        return false;
    }
    const std::size_t at = out.size();
    if (!utf16) {
        out.resize(at + static_cast<std::size_t>(bytes));
        if (readBytes(out.data() + at, static_cast<std::size_t>(bytes))) return true;
        out.resize(at);
        return false;
    }
    std::string raw(static_cast<std::size_t>(bytes), '\0');
    if (!readBytes(raw.data(), raw.size())) return false;
    std::vector<std::uint16_t> units(static_cast<std::size_t>(n));
    for (std::size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<std::uint16_t>(static_cast<unsigned char>(raw[2 * i]) |
                                              (static_cast<unsigned char>(raw[2 * i + 1]) << 8));
    out += Utf16ToUtf8(units);
    return true;
}

std::int32_t Archive::count(std::int32_t n, std::size_t minElementSize) {
    if (IsStoring()) {
        int32(n);
        return n;
    }
    std::int32_t c = 0;
    int32(c);
    if (!ok() || c <= 0) return 0;
    if (minElementSize > 0 && static_cast<std::uint64_t>(c) > remaining() / minElementSize) {
        fail("a count is larger than the rest of the file can hold");
        return 0;
    }
    return c;
}

bool Archive::Close() {
    if (closed_) return ok();
    closed_ = true;
    if (IsStoring()) {
        flush();
        if (ok() && file_ && std::fflush(file_) != 0)
            fail(std::string("the file cannot be written (") + std::strerror(errno) + ")");
    }
    return ok();
}

std::string Utf16ToUtf8(const std::vector<std::uint16_t>& units) {
    std::string out;
    out.reserve(units.size());
    const auto emit = [&out](std::uint32_t cp) { AppendUtf8(out, cp); };
    for (std::size_t i = 0; i < units.size(); ++i) {
        const std::uint32_t u = units[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            emit(0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            emit(0xFFFD);
        } else {
            emit(u);
        }
    }
    return out;
}

}  // namespace veltrin
