#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "storage/Archive.h"
#include "storage/Digest.h"

using veltrin::Archive;
using veltrin::Digest;
using veltrin::DigestValue;

namespace {

// Runs a body in store mode and returns the bytes it wrote.
template <typename Body>
std::string store(Body body) {
    char* data = nullptr;
    std::size_t size = 0;
    std::FILE* f = open_memstream(&data, &size);
    {
        Archive ar(f, Archive::Mode::Store);
        body(ar);
        EXPECT_TRUE(ar.Close());
    }
    std::fclose(f);
    std::string out(data, size);
    std::free(data);
    return out;
}

// Runs a body in load mode over the bytes; returns the archive's error text.
template <typename Body>
std::string load(const std::string& bytes, Body body, std::uint64_t* offset = nullptr) {
    std::string copy = bytes.empty() ? std::string(1, '\0') : bytes;
    std::FILE* f = fmemopen(copy.data(), bytes.empty() ? 1 : bytes.size(), "rb");
    std::string error;
    {
        Archive ar(f, Archive::Mode::Load, bytes.size());
        body(ar);
        error = ar.error();
        if (offset) *offset = ar.errorOffset();
    }
    std::fclose(f);
    return error;
}

std::string bytesOf(std::initializer_list<int> b) {
    std::string s;
    for (int c : b) s += static_cast<char>(c);
    return s;
}

std::string storeText(const std::string& text) {
    return store([&](Archive& ar) {
        std::string t = text;
        ar.countedString(t);
    });
}

}  // namespace

TEST(CountedString, PrefixGrowsAtEachBoundary) {
    EXPECT_EQ(storeText(""), bytesOf({0x00}));
    EXPECT_EQ(storeText(std::string(254, 'a')).substr(0, 1), bytesOf({0xFE}));
    EXPECT_EQ(storeText(std::string(255, 'a')).substr(0, 3), bytesOf({0xFF, 0xFF, 0x00}));
    EXPECT_EQ(storeText(std::string(65533, 'a')).substr(0, 3), bytesOf({0xFF, 0xFD, 0xFF}));
    EXPECT_EQ(storeText(std::string(65534, 'a')).substr(0, 7),
              bytesOf({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}));
    EXPECT_EQ(storeText(std::string(255, 'a')).size(), 258u);
    EXPECT_EQ(storeText(std::string(65534, 'a')).size(), 65541u);
}

TEST(CountedString, EveryPrefixFormReadsBackTheSameText) {
    for (std::size_t n : {0u, 1u, 254u, 255u, 256u, 4095u, 4096u, 4097u, 65533u, 65534u, 70000u}) {
        std::string text(n, '\0');
        for (std::size_t i = 0; i < n; ++i) text[i] = static_cast<char>('a' + i % 26);
        std::string back = "unchanged";
        EXPECT_EQ(load(storeText(text), [&](Archive& ar) { ar.countedString(back); }), "") << n;
        EXPECT_EQ(back, text) << n;
    }
}

TEST(CountedString, Utf16FormIsReadAsUtf8) {
    // 0xFF 0xFFFE marks UTF-16; then a normal prefix counting 16-bit units.
    std::string bytes = bytesOf({0xFF, 0xFE, 0xFF, 0x04, 'H', 0, 0xE9, 0, 0x3D, 0xD8, 0x00, 0xDE});
    std::string text;
    EXPECT_EQ(load(bytes, [&](Archive& ar) { ar.countedString(text); }), "");
    EXPECT_EQ(text, "H\xC3\xA9\xF0\x9F\x98\x80");
}

TEST(CountedString, LengthBeyondTheFileFailsWithoutReading) {
    std::string text = "kept";
    std::uint64_t offset = 99;
    // A 4-byte length of 0xFFFFFFF0 with nothing after it.
    const std::string error = load(
        bytesOf({0xFF, 0xFF, 0xFF, 0xF0, 0xFF, 0xFF, 0xFF, 'x'}),
        [&](Archive& ar) { ar.countedString(text); }, &offset);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(text, "kept");
    EXPECT_EQ(offset, 7u);
}

TEST(Archive, NumbersAreLittleEndianFourBytes) {
    const std::string bytes = store([](Archive& ar) {
        std::int32_t i = -2;
        veltrin::Colour c = 0x00112233;
        std::uint32_t f = 0x3F8CCCCD;
        std::int32_t t = 0x01020304;
        ar.int32(i);
        ar.colour(c);
        ar.float32(f);
        ar.time32(t);
    });
    EXPECT_EQ(bytes, bytesOf({0xFE, 0xFF, 0xFF, 0xFF, 0x33, 0x22, 0x11, 0x00, 0xCD, 0xCC, 0x8C, 0x3F, 0x04,
                              0x03, 0x02, 0x01}));
}

TEST(Archive, FirstFailureSticksAndLaterFieldsStayUntouched) {
    std::int32_t a = 0, b = 7;
    std::uint64_t offset = 0;
    const std::string error = load(
        bytesOf({1, 0, 0, 0, 2, 0}),
        [&](Archive& ar) {
            ar.int32(a);
            ar.int32(b);
            std::int32_t c = 5;
            ar.int32(c);
            EXPECT_EQ(c, 5);
        },
        &offset);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 7);
    EXPECT_EQ(offset, 4u);
}

TEST(Archive, CountIsCheckedAgainstWhatTheFileCanHold) {
    std::int32_t got = -1;
    // A count of 2^31-1 elements of at least 4 bytes, in a 12-byte file.
    EXPECT_FALSE(load(bytesOf({0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0, 0, 0, 0, 0}), [&](Archive& ar) {
                     got = ar.count(0, 4);
                 }).empty());
    EXPECT_EQ(got, 0);
    // Zero or negative counts read nothing and are no error.
    EXPECT_EQ(load(bytesOf({0xFB, 0xFF, 0xFF, 0xFF}), [&](Archive& ar) { got = ar.count(0, 4); }), "");
    EXPECT_EQ(got, 0);
    EXPECT_EQ(load(bytesOf({2, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0}), [&](Archive& ar) { got = ar.count(0, 4); }),
              "");
    EXPECT_EQ(got, 2);
}

TEST(Archive, LargeStreamCrossesBufferBoundaries) {
    const std::string bytes = store([](Archive& ar) {
        for (std::int32_t i = 0; i < 5000; ++i) {
            std::int32_t v = i;
            std::string s(static_cast<std::size_t>(i % 300), 'x');
            ar.int32(v);
            ar.countedString(s);
        }
    });
    EXPECT_EQ(load(bytes,
                   [](Archive& ar) {
                       for (std::int32_t i = 0; i < 5000; ++i) {
                           std::int32_t v = -1;
                           std::string s;
                           ar.int32(v);
                           ar.countedString(s);
                           ASSERT_EQ(v, i);
                           ASSERT_EQ(s.size(), static_cast<std::size_t>(i % 300));
                       }
                   }),
              "");
}

TEST(Archive, DigestSeesExactlyTheBytesStoredOrLoaded) {
    // Small fields through the buffer and a large text straight through.
    auto body = [](char last) {
        return [last](Archive& ar) {
            for (std::int32_t i = 0; i < 3000; ++i) {
                std::int32_t v = i;
                ar.int32(v);
            }
            std::string large(10000, 'L');
            large.back() = last;
            ar.countedString(large);
        };
    };
    auto digestOf = [](const std::string& bytes) {
        Digest d;
        d.add(bytes.data(), bytes.size());
        return d.value();
    };
    const std::string bytes = store(body('L'));
    ASSERT_EQ(bytes.size(), 3000u * 4 + 3 + 10000);

    // Storing without a file only counts what would be written.
    Digest measured;
    {
        Archive ar(nullptr, Archive::Mode::Store, 0, &measured);
        body('L')(ar);
        EXPECT_TRUE(ar.Close());
        EXPECT_EQ(ar.position(), bytes.size());
    }
    EXPECT_EQ(measured.value(), digestOf(bytes));
    EXPECT_EQ(measured.value().length, bytes.size());

    Digest other;
    {
        Archive ar(nullptr, Archive::Mode::Store, 0, &other);
        body('M')(ar);
    }
    EXPECT_NE(other.value(), measured.value()) << "one byte differs at the very end";

    // Loading feeds the digest every byte it reads.
    std::string copy = bytes;
    std::FILE* f = fmemopen(copy.data(), copy.size(), "rb");
    Digest loaded;
    {
        Archive ar(f, Archive::Mode::Load, copy.size(), &loaded);
        for (int i = 0; i < 3000; ++i) {
            std::int32_t v;
            ar.int32(v);
        }
        std::string large;
        ar.countedString(large);
        EXPECT_TRUE(ar.ok());
    }
    std::fclose(f);
    EXPECT_EQ(loaded.value(), digestOf(bytes));
    EXPECT_NE(digestOf("abc"), digestOf("abd"));
    EXPECT_NE(digestOf(std::string(1, '\0')), digestOf(std::string(2, '\0')));
}

TEST(CountedString, AppendedTextsFollowEachOtherAndAFailureKeepsWhatCameBefore) {
    const std::string bytes = store([](Archive& ar) {
        for (const char* t : {"Ann", "", "Berlin", "x"}) ar.storeText(t);
    });
    std::string packed = "head:";
    EXPECT_EQ(load(bytes,
                   [&](Archive& ar) {
                       EXPECT_TRUE(ar.appendText(packed));
                       EXPECT_TRUE(ar.appendText(packed));
                       EXPECT_TRUE(ar.appendText(packed));
                   }),
              "");
    EXPECT_EQ(packed, "head:AnnBerlin");

    // The last text is cut short in a file that ends before its measured
    // size: the packed texts keep their length.
    std::string cut = bytes.substr(0, bytes.size() - 2) + bytesOf({0x05, 'a', 'b'});
    std::FILE* f = fmemopen(cut.data(), cut.size(), "rb");
    {
        Archive ar(f, Archive::Mode::Load, cut.size() + 3);
        std::string kept = "kept";
        for (int i = 0; i < 3; ++i) EXPECT_TRUE(ar.appendText(kept));
        EXPECT_FALSE(ar.appendText(kept));
        EXPECT_FALSE(ar.ok());
        EXPECT_EQ(kept, "keptAnnBerlin");
    }
    std::fclose(f);

    // The UTF-16 form is appended as UTF-8.
    std::string wide = "<";
    EXPECT_EQ(load(bytesOf({0xFF, 0xFE, 0xFF, 0x02, 'H', 0, 0xE9, 0}),
                   [&](Archive& ar) { EXPECT_TRUE(ar.appendText(wide)); }),
              "");
    EXPECT_EQ(wide, "<H\xC3\xA9");
}

TEST(Archive, BytesBufferedPastTheGivenSizeAreNotRead) {
    // The stream holds more than the size the archive was told of (a file
    // that grew after it was measured): nothing past that size is read.
    std::string bytes = bytesOf({1, 0, 0, 0, 2, 0, 0, 0});
    std::FILE* f = fmemopen(bytes.data(), bytes.size(), "rb");
    Archive ar(f, Archive::Mode::Load, 4);
    std::int32_t a = 0, b = 9;
    ar.int32(a);
    ar.int32(b);
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 9);
    EXPECT_FALSE(ar.ok());
    std::fclose(f);

    // The same for a text whose last byte lies past that size.
    std::string text = bytesOf({0x02, 'a', 'b', 0x01, 'c'});
    std::FILE* g = fmemopen(text.data(), text.size(), "rb");
    Archive cut(g, Archive::Mode::Load, 2);
    std::string out = "kept";
    EXPECT_FALSE(cut.appendText(out));
    EXPECT_EQ(out, "kept");
    std::fclose(g);
}
