// network_settings.cpp - the remembered peer and "./network.cfg".
//
// Owns the NetworkSettings record and the file's layout. The file is outside data: its
// integers may be anything, so digits are taken from their magnitude and always lie in
// 0..9 (they index digit pictures). Saves go through the crash-safe writer of
// data_file.h. Must not touch the connection or the scenes.
#include "shell/network_settings.h"

#include "shell/app.h"
#include "shell/assets.h"
#include "shell/data_file.h"
#include "pavex.h"

NetworkSettings networkSettings;

namespace {

constexpr char kPath[] = "./network.cfg";
constexpr int kFileBytes = 20;
constexpr int kPortIndex = 4;
constexpr int64_t kPortPlaces[5] = {10000, 1000, 100, 10, 1};
constexpr int64_t kOctetPlaces[3] = {100, 10, 1};

// The decimal digit of `value` at `place` (1, 10, 100, ...), from its magnitude.
int32_t DigitAt(int32_t value, int64_t place) {
    int64_t v = value < 0 ? -int64_t(value) : int64_t(value);
    return static_cast<int32_t>((v / place) % 10);
}

// Moves a cursor within 0..last, or steps the digit under it with wrap-around; each
// change plays the select sound.
void Edit(int pad, int32_t* cursor, int last, int32_t* digits) {
    if (*cursor < 0 || *cursor > last) *cursor = 0;
    int changes = 0;
    if ((pad & PAVEX_PAD_RIGHT) && *cursor < last) ++*cursor, ++changes;
    if ((pad & PAVEX_PAD_LEFT) && *cursor >= 1) --*cursor, ++changes;
    int32_t& d = digits[*cursor];
    if (pad & PAVEX_PAD_UP) d = d >= 9 ? 0 : d + 1, ++changes;
    if (pad & PAVEX_PAD_DOWN) d = d <= 0 ? 9 : d - 1, ++changes;
    for (; changes > 0; --changes) PlaySoundEffect(kEffectSelect);
}

}  // namespace

void LoadNetworkSettings() {
    uint8_t image[kFileBytes] = {};
    const int got = ReadDataFile(kPath, image, kFileBytes);
    if (got < 0) {
        WriteDataFile(kPath, image, kFileBytes);
        return;
    }
    // Only whole integers count; what a short file lacks stays 0.
    for (int i = got / 4 * 4; i < kFileBytes; ++i) image[i] = 0;
    NetworkSettings& s = networkSettings;
    s.port = GetLe32(image, kPortIndex);
    for (int i = 0; i < 5; ++i) s.portDigits[i] = DigitAt(s.port, kPortPlaces[i]);
    for (int k = 0; k < 4; ++k) {
        s.octets[k] = GetLe32(image, k);
        for (int i = 0; i < 3; ++i)
            s.addressDigits[3 * k + i] = DigitAt(s.octets[k], kOctetPlaces[i]);
    }
}

void SaveNetworkSettings() {
    NetworkSettings& s = networkSettings;
    s.port = 0;
    for (int d : s.portDigits) s.port = s.port * 10 + d;
    for (int k = 0; k < 4; ++k) {
        const int32_t* d = &s.addressDigits[3 * k];
        s.octets[k] = (d[0] * 10 + d[1]) * 10 + d[2];
    }
    uint8_t image[kFileBytes];
    for (int k = 0; k < 4; ++k) PutLe32(image, k, s.octets[k]);
    PutLe32(image, kPortIndex, s.port);
    if (!WriteDataFile(kPath, image, kFileBytes)) ExitApplication();
}

void EditNetworkDigit(int row, int pad) {
    NetworkSettings& s = networkSettings;
    if (row == 2) Edit(pad, &s.portCursor, 4, s.portDigits);
    if (row == 3) Edit(pad, &s.addressCursor, 11, s.addressDigits);
}

uint32_t PackedNetworkAddress() {
    uint32_t packed = 0;
    for (int k = 0; k < 4; ++k)
        packed |= (static_cast<uint32_t>(networkSettings.octets[k]) & 0xFF) << (8 * k);
    return packed;
}
