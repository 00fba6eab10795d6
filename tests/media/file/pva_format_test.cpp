// Tests of the archive format code: the LZ token rules, the LZ round trip and its
// refusals, the search form, the key derivation and the position cipher.
#include <gtest/gtest.h>

#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "media/file/pva_format.h"

namespace {

std::vector<uint8_t> Stream(uint32_t decompressed, uint8_t escape, std::vector<uint8_t> tokens) {
    std::vector<uint8_t> out(9);
    const uint32_t compressed = static_cast<uint32_t>(9 + tokens.size());
    for (int i = 0; i < 4; ++i) {
        out[i] = static_cast<uint8_t>(decompressed >> (8 * i));
        out[4 + i] = static_cast<uint8_t>(compressed >> (8 * i));
    }
    out[8] = escape;
    out.insert(out.end(), tokens.begin(), tokens.end());
    return out;
}

// Decodes a stream into exactly `size` bytes; an empty vector and false on refusal.
bool Decode(const std::vector<uint8_t>& in, size_t size, std::vector<uint8_t>* out) {
    out->assign(size, 0xEE);
    return PvaLzDecode(in.data(), in.size(), out->data(), out->size()) == 0;
}

std::vector<uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

// ---- LZ tokens, written by hand from the rules ----

TEST(LzTokens, HandWrittenTokensDecode) {
    const struct {
        const char* name;
        uint8_t escape;
        std::vector<uint8_t> tokens;
        std::string expected;
    } cases[] = {
        // 'Q', then a copy of 7 from distance 0+1: code (7-4)<<3, one-byte field.
        {"one-byte distance 0 repeats the previous byte", 0xF0, {'Q', 0xF0, 3 << 3, 0}, "QQQQQQQQ"},
        {"escape twice is a literal escape", 'x', {'a', 'x', 'x', 'b'}, "axb"},
        // Escape 0: code (5-4)<<3 = 8 is written as 9.
        {"codes above the escape are lowered", 0x00, {'a', 'b', 0x00, 9, 0x01}, "abababa"},
        // A copy of 4 + (2 << 5) + 1 = 69 from distance 1: code 1<<3 | 4.
        {"extra length byte", 0xFF, {'z', 0xFF, (1 << 3) | 4, 2, 0x00}, std::string(70, 'z')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> out;
        ASSERT_TRUE(Decode(Stream(static_cast<uint32_t>(c.expected.size()), c.escape, c.tokens),
                           c.expected.size(), &out));
        EXPECT_EQ(out, Bytes(c.expected));
    }
}

TEST(LzTokens, WiderDistanceFields) {
    std::vector<uint8_t> out;
    // 300 literals (bytes 0..255 then 0..43, all but the escape 0xFF kept literal),
    // then a copy of 4 from distance 300 (two-byte field 299 = 0x012B, code 1).
    std::vector<uint8_t> tokens, expected;
    for (int i = 0; i < 300; ++i) {
        const uint8_t b = static_cast<uint8_t>(i % 255);
        tokens.push_back(b);
        expected.push_back(b);
    }
    tokens.insert(tokens.end(), {0xFF, 0 | 1, 0x2B, 0x01});
    expected.insert(expected.end(), expected.begin(), expected.begin() + 4);
    ASSERT_TRUE(Decode(Stream(304, 0xFF, tokens), 304, &out));
    EXPECT_EQ(out, expected);

    // A three-byte field (code 2): 70000 bytes back.
    tokens.assign(70000, 'k');
    tokens[0] = 'S';
    expected.assign(tokens.begin(), tokens.end());
    const uint32_t field = 70000 - 1;
    tokens.insert(tokens.end(),
                  {0xFF, 0 | 2, static_cast<uint8_t>(field), static_cast<uint8_t>(field >> 8),
                   static_cast<uint8_t>(field >> 16)});
    expected.insert(expected.end(), {'S', 'k', 'k', 'k'});
    ASSERT_TRUE(Decode(Stream(70004, 0xFF, tokens), 70004, &out));
    EXPECT_EQ(out, expected);
}

TEST(LzTokens, HostileStreamsAreRefused) {
    auto claimed = [](uint8_t compressed) {  // header's compressed size rewritten
        auto in = Stream(2, 0xFF, {'a', 'b'});
        in[4] = compressed;
        return in;
    };
    const struct {
        const char* name;
        std::vector<uint8_t> in;
        size_t outSize;
    } cases[] = {
        {"distance before the output", Stream(6, 0xFF, {'a', 0xFF, 0 << 3, 0x01}), 6},
        {"copy with nothing written", Stream(4, 0xFF, {0xFF, 0 << 3, 0x00}), 4},
        {"distance size code 3", Stream(5, 0xFF, {'a', 0xFF, 3, 0, 0, 0, 0}), 5},
        {"escape at the end", Stream(1, 0xFF, {'a', 0xFF}), 1},
        {"missing extra length byte", Stream(40, 0xFF, {'a', 0xFF, 4}), 40},
        {"missing distance bytes", Stream(5, 0xFF, {'a', 0xFF, 1, 0x00}), 5},
        {"copy past the declared size", Stream(4, 0xFF, {'a', 0xFF, 3 << 3, 0x00}), 4},
        {"data short of the declared size", Stream(10, 0xFF, {'a', 'b'}), 10},
        {"buffer not the declared size", Stream(2, 0xFF, {'a', 'b'}), 3},
        {"compressed size past the input", claimed(200), 2},
        {"compressed size below a header", claimed(5), 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> out;
        EXPECT_FALSE(Decode(c.in, c.outSize, &out));
    }
    // A decompressed size no stream of this length can produce.
    uint32_t d, c;
    auto huge = Stream(0xFFFFFFF0u, 0xFF, {'a', 'b', 'c', 'd'});
    EXPECT_EQ(PvaLzReadHeader(huge.data(), huge.size(), &d, &c), -1);
    EXPECT_EQ(PvaLzReadHeader(huge.data(), 8, &d, &c), -1);
}

// ---- LZ round trip ----

std::vector<uint8_t> Compress(const std::vector<uint8_t>& in, size_t capacity) {
    std::vector<uint8_t> work(PvaLzWorkSize());
    std::vector<uint8_t> out(capacity);
    const size_t n = PvaLzEncode(in.data(), in.size(), out.data(), out.size(), work.data());
    out.resize(n);
    return out;
}

std::vector<uint8_t> Sample(int kind, size_t size) {
    std::vector<uint8_t> v(size);
    uint32_t x = 12345u + static_cast<uint32_t>(kind);
    for (size_t i = 0; i < size; ++i) {
        x = x * 1103515245u + 12345u;
        // 0 noise, 1 text, 2 runs, 3 a noisy half repeated
        v[i] = kind == 0      ? static_cast<uint8_t>(x >> 24)
               : kind == 1    ? static_cast<uint8_t>("pavex archive "[i % 14])
               : kind == 2    ? static_cast<uint8_t>((i / 5000) & 1 ? 0xAA : i)
               : i < size / 2 ? static_cast<uint8_t>(x >> 24)
                              : v[i - size / 2];
    }
    return v;
}

TEST(LzRoundTrip, EveryKindOfDataComesBackIntact) {
    for (int kind = 0; kind < 4; ++kind) {
        for (size_t size :
             {size_t{0}, size_t{1}, size_t{5}, size_t{13}, size_t{4096}, size_t{300000}}) {
            const auto data = Sample(kind, size);
            const auto packed = Compress(data, data.size() * 2 + 64);
            ASSERT_GE(packed.size(), kPvaLzHeaderSize) << kind << " " << size;
            std::vector<uint8_t> out;
            ASSERT_TRUE(Decode(packed, data.size(), &out)) << kind << " " << size;
            EXPECT_EQ(out, data) << kind << " " << size;
        }
    }
}

TEST(LzRoundTrip, RepetitiveDataShrinksAndNoiseDoesNotFit) {
    const auto text = Sample(1, 100000);
    EXPECT_LT(Compress(text, text.size()).size(), text.size() / 10);
    // A 100 KB half repeated 100 KB later must be found and used.
    const auto mirrored = Sample(3, 200000);
    const auto packed = Compress(mirrored, mirrored.size());
    ASSERT_GT(packed.size(), 0u);
    EXPECT_LT(packed.size(), 110000u);
    // Random bytes do not shrink: the encoder reports that it does not fit.
    const auto noise = Sample(0, 50000);
    EXPECT_EQ(Compress(noise, noise.size() - 1).size(), 0u);
}

// ---- names ----

TEST(SearchForm, FoldsAsciiLettersOnlyAndKeepsDoubleByteCharacters) {
    uint8_t form[32];
    uint16_t sum = 0;
    ASSERT_EQ(PvaSearchForm("Decide.wav", 10, form, sizeof(form), &sum), 3);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(form), 12), std::string("DECIDE.WAV\0\0", 12));
    uint16_t expectedSum = 0;
    for (char c : std::string("DECIDE.WAV")) expectedSum = static_cast<uint16_t>(expectedSum + c);
    EXPECT_EQ(sum, expectedSum);

    // Shift-JIS 0x82 0x61 (a double-byte letter) keeps its trail byte 'a'; the
    // following ASCII 'a' is folded. A name of 4 bytes takes two units.
    const char sjis[] = {'\x82', 'a', 'a', 'b', 0};
    ASSERT_EQ(PvaSearchForm(sjis, 4, form, sizeof(form), &sum), 2);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(form), 8), std::string("\x82"
                                                                         "aAB\0\0\0\0",
                                                                         8));
    EXPECT_EQ(sum, static_cast<uint16_t>(0x82 + 'a' + 'A' + 'B'));

    EXPECT_EQ(PvaSearchForm("", 0, form, sizeof(form), &sum), 0);
    EXPECT_EQ(PvaSearchForm(std::string(41, 'n').c_str(), 41, form, sizeof(form), &sum), 0);
}

// ---- key and cipher ----

std::vector<uint8_t> Key(const char* text) {
    std::vector<uint8_t> key(kPvaKeySize);
    PvaMakeKey(text, key.data());
    return key;
}

// Cutting, repeating and the default key are shown end to end by the file-layer tests.
TEST(ArchiveKey, DerivationRules) {
    EXPECT_NE(Key("KWZ"), Key("KWY"));
    std::vector<uint8_t> fallback(kPvaKeySize);
    PvaMakeFallbackKey(fallback.data());
    EXPECT_NE(fallback, Key(nullptr));
    // Every position changes the raw byte (no position leaves the key in the clear).
    const auto key = Key("ABCDEFGHIJKL");
    for (int i = 0; i < kPvaKeySize; ++i) EXPECT_NE(key[i], static_cast<uint8_t>('A' + i)) << i;
}

TEST(ArchiveCipher, DependsOnlyOnFilePositionAndUndoesItself) {
    const auto key = Key("KWZ");
    const auto plain = Sample(0, 1000);
    auto whole = plain;
    PvaCipher(whole.data(), whole.size(), 7, key.data());
    EXPECT_NE(whole, plain);
    // Byte i at position 7 + i is plain[i] ^ key[(7 + i) % 12].
    for (size_t i = 0; i < whole.size(); ++i)
        ASSERT_EQ(whole[i], plain[i] ^ key[(7 + i) % 12]) << i;
    // Pieces of odd lengths at their own positions give the same bytes.
    auto pieces = plain;
    size_t at = 0;
    for (size_t length : {1u, 11u, 12u, 13u, 25u, 100u}) {
        PvaCipher(pieces.data() + at, length, 7 + at, key.data());
        at += length;
    }
    PvaCipher(pieces.data() + at, pieces.size() - at, 7 + at, key.data());
    EXPECT_EQ(pieces, whole);
    PvaCipher(whole.data(), whole.size(), 7, key.data());
    EXPECT_EQ(whole, plain);
}

// ---- headers and tables ----

TEST(ArchiveHeader, MagicVersionAndLayoutChecks) {
    PvaHeader header{2, 64, 24, 100, 16, 40};
    uint8_t bytes[kPvaHeaderSize];
    PvaWriteHeader(header, bytes);
    PvaHeader read{};
    ASSERT_EQ(PvaReadHeader(bytes, &read), 0);
    EXPECT_EQ(read.headerBlockSize, 64u);
    EXPECT_EQ(read.headerBlockPos, 100u);
    EXPECT_EQ(PvaCheckLayout(read, 164), 0);
    EXPECT_EQ(PvaCheckLayout(read, 163), -1);  // block runs past the end
    read.dirTableOffset = 60;
    EXPECT_EQ(PvaCheckLayout(read, 164), -1);  // no room for the root record
    read = header;
    read.fileTableOffset = 50;
    EXPECT_EQ(PvaCheckLayout(read, 164), -1);  // tables out of order

    bytes[2] = 4;  // version 4
    EXPECT_EQ(PvaReadHeader(bytes, &read), -1);
    bytes[2] = 3;
    EXPECT_EQ(PvaReadHeader(bytes, &read), 0);
    bytes[1] = 'X';
    EXPECT_EQ(PvaReadHeader(bytes, &read), -1);
}

}  // namespace
