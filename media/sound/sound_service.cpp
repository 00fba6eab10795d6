// sound_service.cpp - start-up, shutdown and the periodic work of the sound area.
//
// Owns: whether sound is available (the device opened at start-up), the log lines
// of those steps, and the pump hook that tops up every streamed sound. When no
// device opens, the layer goes on silently and every call but HaltMusic answers -1.
#include <stdio.h>

#include "media/core/log.h"
#include "media/platform/plat_audio.h"
#include "media/sound/sound_internal.h"

namespace {

struct SoundService {
    int started;  // the device is open
};

SoundService SOUND = {};

}  // namespace

int SoundAvailable() {
    return SOUND.started;
}

int SoundStartUp() {
    if (SOUND.started) return 0;
    SoundResetDefaults();
    LogString("サウンドデバイスの初期化... ");
    char why[256] = "";
    if (MixerOpen(why, sizeof why) != 0) {
        LogString("失敗しました\n");
        LogFormat("サウンドデバイスを開けませんでした：%s", why[0] ? why : "理由は不明です");
        LogString("サウンドは使用しません\n");
        return 0;
    }
    SOUND.started = 1;
    LogFormat("成功しました（%dHz ステレオ 16bit、%d フレーム毎に合成）", kPlatAudioRate,
              PlatAudioPeriodFrames());
    return 0;
}

void SoundShutDown() {
    if (!SOUND.started) return;
    MusicHalt();
    SoundDeleteAll();
    MixerClose();
    SOUND.started = 0;
    LogString("DirectSound の終了処理は正常に終了しました\n");
}

void SoundPump() {
    if (!SOUND.started) return;
    const int top = SoundHighWater();
    for (int slot = 0; slot < top; ++slot) {
        SoundRecord* sound = SoundAtSlot(slot);
        if (sound && sound->streamed) StreamTopUp(sound);
    }
}
