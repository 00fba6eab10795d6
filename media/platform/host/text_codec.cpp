// text_codec.cpp - UTF-8 <-> Shift-JIS (CP932) conversion with iconv.
//
// Owns: the two conversion descriptors, opened once on first use and kept for the
// life of the process (so converting never allocates after the first call), and
// the replacement rule: a character without a counterpart, or a broken byte
// sequence, becomes '?'. Must not touch: anything outside the two buffers it is
// given. CP932 is preferred (it has the vendor characters Windows text uses);
// plain SHIFT_JIS stands in where the C library lacks CP932.
#include <errno.h>
#include <iconv.h>
#include <string.h>

#include <mutex>

#include "media/platform/plat_system.h"

namespace {

struct Codec {
    std::mutex guard;
    bool tried = false;
    iconv_t toSjis = reinterpret_cast<iconv_t>(-1);
    iconv_t toUtf8 = reinterpret_cast<iconv_t>(-1);
};

Codec g_codec;

iconv_t OpenEither(const char* to, const char* from, const char* altTo, const char* altFrom) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) cd = iconv_open(altTo, altFrom);
    return cd;
}

void OpenOnce() {
    if (g_codec.tried) return;
    g_codec.tried = true;
    g_codec.toSjis = OpenEither("CP932", "UTF-8", "SHIFT_JIS", "UTF-8");
    g_codec.toUtf8 = OpenEither("UTF-8", "CP932", "UTF-8", "SHIFT_JIS");
}

// Length of the UTF-8 sequence a lead byte announces (1 for a stray byte).
size_t Utf8SequenceLength(unsigned char lead) {
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    return 1;
}

// Length of the Shift-JIS character a lead byte announces.
size_t SjisSequenceLength(unsigned char lead) {
    return ((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC)) ? 2 : 1;
}

// Converts `length` bytes of `in` with `cd` into `out` (at most size-1 bytes and a
// zero). `step` tells how many input bytes a character that cannot be converted
// occupies, so it can be replaced by '?' and skipped.
size_t Convert(iconv_t cd, const char* in, size_t length, char* out, size_t size,
               size_t (*step)(unsigned char)) {
    if (!out || size == 0) return 0;
    size_t room = size - 1;
    char* dst = out;
    if (!in) length = 0;
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        // No converter at all: ASCII passes, everything else becomes '?'.
        size_t i = 0;
        while (i < length && room > 0) {
            unsigned char c = static_cast<unsigned char>(in[i]);
            if (c < 0x80) {
                *dst++ = static_cast<char>(c);
                ++i;
            } else {
                *dst++ = '?';
                i += step(c);
            }
            --room;
        }
        *dst = '\0';
        return static_cast<size_t>(dst - out);
    }
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in);
    size_t left = length;
    while (left > 0 && room > 0) {
        size_t r = iconv(cd, &src, &left, &dst, &room);
        if (r != static_cast<size_t>(-1)) break;
        // E2BIG, or a bad character met with the output already full: the '?'
        // would not fit before the terminating zero.
        if (errno == E2BIG || room == 0) break;
        // EILSEQ (broken or unconvertible) or EINVAL (cut off at the end).
        *dst++ = '?';
        --room;
        size_t skip = step(static_cast<unsigned char>(*src));
        if (skip > left) skip = left;
        // A broken multi-byte sequence is skipped only up to its first bad byte.
        for (size_t k = 1; k < skip; ++k) {
            unsigned char c = static_cast<unsigned char>(src[k]);
            bool continuation = (step == Utf8SequenceLength) ? (c & 0xC0) == 0x80 : c >= 0x40;
            if (!continuation) {
                skip = k;
                break;
            }
        }
        src += skip;
        left -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    *dst = '\0';
    return static_cast<size_t>(dst - out);
}

}  // namespace

size_t PlatUtf8ToShiftJis(const char* utf8, char* out, size_t size) {
    std::lock_guard<std::mutex> lock(g_codec.guard);
    OpenOnce();
    return Convert(g_codec.toSjis, utf8, utf8 ? strlen(utf8) : 0, out, size, Utf8SequenceLength);
}

size_t PlatShiftJisToUtf8(const char* sjis, size_t length, char* out, size_t size) {
    std::lock_guard<std::mutex> lock(g_codec.guard);
    OpenOnce();
    return Convert(g_codec.toUtf8, sjis, length, out, size, SjisSequenceLength);
}
