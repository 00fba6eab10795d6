// input_service.cpp - start-up, shutdown and the periodic work of the input area.
//
// Owns: whether input is up, opening and closing the platform's devices with the
// log lines of those steps, the pump hook (pad arrivals, vibration time limits,
// motors) and the activation hook. Must not touch the key or pad state itself
// (keyboard.cpp, pads.cpp) nor the window.
#include <stdio.h>

#include "media/core/frame.h"
#include "media/core/log.h"
#include "media/input/input_service.h"
#include "pavex.h"

namespace {

struct InputData {
    int started;
};

InputData INPUT = {};

}  // namespace

int InputStarted() {
    return INPUT.started;
}

int InputStartUp() {
    if (INPUT.started) return 0;
    KeyboardReset();
    PadsReset();

    LogString("DirectInput関係初期化処理\n");
    LogIndent(1);
    int missing = PlatInputOpen();
    LogString("キーボードデバイスの初期化... ");
    if (missing & PLAT_INPUT_NO_KEYBOARD) {
        PlatInputClose();
        FatalErrorExit("キーボードデバイスの取得に失敗しました");
    }
    LogString("成功\n");
    LogString("マウスデバイスの初期化... ");
    if (missing & PLAT_INPUT_NO_MOUSE) {
        PlatInputClose();
        FatalErrorExit("マウスデバイスの取得に失敗しました");
    }
    LogString("成功\n");

    LogString("ジョイパッドの初期化... \n");
    LogIndent(1);
    if (missing & PLAT_INPUT_NO_PADS) LogString("入力装置の取得に失敗しました\n");
    INPUT.started = 1;
    PadsSync();
    LogIndent(-1);
    LogString("ジョイパッドの初期化は正常に終了しました\n");

    char line[64];
    snprintf(line, sizeof line, "パッドの数は %d 個です\n", PadCount());
    LogString(line);
    LogIndent(-1);
    LogString("DirectInput 関連の初期化は正常に終了しました\n");
    LogString("入力関連の初期化をしました\n");
    return 0;
}

void InputShutDown() {
    if (!INPUT.started) return;
    VibrationStopAllMotors();
    PlatInputClose();
    PadsReset();
    KeyboardReset();
    INPUT.started = 0;
    LogString("DirectInput 関連の終了処理... 完了\n");
}

void InputPump() {
    if (!INPUT.started) return;
    PadsSync();
    VibrationRunTimers();
    VibrationUpdateEffects(FrameIsActive());
}

void InputActivate(int active) {
    if (!INPUT.started) return;
    VibrationUpdateEffects(active);
}

int InputBeginQuery(int* result) {
    FrameWaitWhileInactive();
    if (INPUT.started) return 1;
    *result = FrameEnding() ? 0 : InputStartUp();
    return 0;
}
