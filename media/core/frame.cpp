// frame.cpp - the library frame: the settings made before start-up, InitMediaLayer
// and EndMediaLayer, the main window and its events, the message pump
// ProcessMessage, and the background pump that keeps the services moving while the
// main thread is busy.
//
// Owns: the frame record below (settings kept across runs, run state cleared by
// every start-up). The window and the display are reached only through
// plat_window.h, the single-instance mark through plat_instance.h, the background
// pump through plat_pump.h. The areas are started, pumped, notified and stopped
// only through the registry of services.h; this file includes no area header. Only
// the thread that called InitMediaLayer polls window events; the background pump
// drives the services and nothing else.
#include "media/core/frame.h"

#include <stdint.h>
#include <string.h>

#include <atomic>
#include <thread>

#include "media/core/api_lock.h"
#include "media/core/log.h"
#include "media/core/services.h"
#include "media/core/tracked_alloc.h"
#include "media/platform/plat_clock.h"
#include "media/platform/plat_instance.h"
#include "media/platform/plat_pump.h"
#include "media/platform/plat_system.h"
#include "media/platform/plat_window.h"
#include "pavex.h"

namespace {

// The window class of the original platform; here the name of the single-instance
// mark by which a second copy finds the first.
constexpr const char* kClassName = "D123987X";
constexpr const char* kDefaultTitle = "Pavex";
constexpr int kTitleBytes = 256;
constexpr int kStartDirectoryBytes = 4096;  // a Linux path, not 256 bytes as on Windows
constexpr int kMessagesPerPass = 5;
constexpr int kStartPumpMs = 200;
constexpr int kPumpPeriodMs = 17;

// One row of the window-style table: the platform flags in window mode and in full
// screen. Row 0 is the one the game uses.
struct WindowStyle {
    int window;
    int fullScreen;
};
constexpr WindowStyle kWindowStyles[7] = {
    {PLAT_WINDOW_CAPTION, PLAT_WINDOW_TOPMOST},
    {0, PLAT_WINDOW_TOPMOST},
    {0, PLAT_WINDOW_TOPMOST},
    {PLAT_WINDOW_CAPTION | PLAT_WINDOW_UTILITY, PLAT_WINDOW_TOPMOST},
    {PLAT_WINDOW_UTILITY, PLAT_WINDOW_TOPMOST},
    {PLAT_WINDOW_CAPTION, 0},
    {PLAT_WINDOW_CAPTION, 0},
};

constexpr int kMarkRetryMs = 1000;  // how often a copy without the mark tries to take it

struct FrameSettings {
    int windowMode;                 // 1 window, 0 full screen (the default)
    char windowTitle[kTitleBytes];  // empty: "Pavex" at start-up
    int allowDoubleStart;
    int alwaysRun;
    int windowStyleIndex;   // 0..6
    double windowSizeRate;  // <= 0 counts as 1.0
};
constexpr FrameSettings kDefaultSettings = {0, "", 0, 0, 0, 1.0};

// Cleared by every InitMediaLayer in one assignment.
struct FrameRun {
    int running;  // something was started that EndMediaLayer must stop
    int ending;
    int initialised;
    int mainWindow;  // 1 while the window exists
    std::thread::id mainThreadId;
    int active;
    int closePosted;  // a close request waits for the next pass
    char startDirectory[kStartDirectoryBytes];
    int logStarted;
    int videoStarted;
    int devicesStarted;
    int filesStarted;
    int markHeld;          // this copy holds the single-instance mark
    uint32_t markTriedAt;  // last try to take a mark another copy held
    int pumpStarted;
    int inPump;      // re-entry guard of ProcessMessage
    int inPumpDuty;  // the background pump's duty is running on this thread
};

struct FrameRecord {
    FrameSettings settings;
    FrameRun run;
    // Read by the background pump while the main thread sets it.
    std::atomic<int> endRequested;
};

FrameRecord FRAME = {kDefaultSettings, FrameRun{}, {0}};

void Log(const char* text) {
    if (FRAME.run.logStarted) LogString(text);
}

bool OnMainThread() {
    return FRAME.run.mainThreadId == std::thread::id() ||
           std::this_thread::get_id() == FRAME.run.mainThreadId;
}

void SetEndRequested() {
    FRAME.endRequested = 1;
    PlatPumpWake();
}

bool EndRequestedForLock() {
    return FRAME.endRequested.load() != 0;
}

int WindowFlags() {
    const FrameSettings& set = FRAME.settings;
    int row = set.windowStyleIndex;
    if (row < 0 || row > 6) row = 0;
    if (set.windowMode) return kWindowStyles[row].window;
    return PLAT_WINDOW_FULLSCREEN | PLAT_WINDOW_HIDE_CURSOR | kWindowStyles[row].fullScreen;
}

double SizeRate() {
    if (!FRAME.settings.windowMode || FRAME.settings.windowSizeRate <= 0.0) return 1.0;
    return FRAME.settings.windowSizeRate;
}

// The window is gone: what the destroy message did on the original platform.
void DestroyWindow() {
    PlatWindowClose();
    FRAME.run.mainWindow = 0;
    Log("ウインドウが破棄されようとしています\n");
    Log("ソフトを終了する準備が整いました\n");
    SetEndRequested();
}

void HandleCloseRequest() {
    FRAME.run.closePosted = 0;
    if (!FRAME.run.mainWindow) return;
    Log("ウインドウを閉じようとしています\n");
    DestroyWindow();
}

void SetActive(int active) {
    if (active == FRAME.run.active) return;
    FRAME.run.active = active;
    ServicesFocus(active);
}

void Dispatch(const PlatEvent& e) {
    switch (e.type) {
        case PLAT_EVENT_CLOSE_REQUEST:
            HandleCloseRequest();
            break;
        case PLAT_EVENT_FOCUS_GAINED:
            SetActive(1);
            break;
        case PLAT_EVENT_FOCUS_LOST:
            SetActive(0);
            break;
        case PLAT_EVENT_EXPOSED:
            ServicesWindowEvent(SERVICE_EVENT_EXPOSED);
            break;
        case PLAT_EVENT_DISPLAY_CHANGED:
            ServicesWindowEvent(SERVICE_EVENT_DISPLAY_CHANGED);
            break;
        default:
            break;  // resizes are scaled by the platform; keys and devices it handled
    }
}

// One pass: a posted close request, then up to five events. Returns how many
// messages were taken.
int Pass() {
    int count = 0;
    if (FRAME.run.closePosted) {
        ++count;
        HandleCloseRequest();
    }
    PlatEvent e;
    while (count < kMessagesPerPass && PlatPollEvent(&e)) {
        ++count;
        Dispatch(e);
    }
    return count;
}

// A copy that started while another held the single-instance mark takes the mark
// once the other copy is gone, so that a later copy still finds a running one.
void RetakeInstanceMark() {
    FrameRun& run = FRAME.run;
    if (run.markHeld || !run.mainWindow) return;
    uint32_t now = PlatTickMillis();
    if (static_cast<int32_t>(now - run.markTriedAt) < kMarkRetryMs) return;
    run.markTriedAt = now;
    run.markHeld = PlatInstanceCreate(kClassName) == 0;
}

int ProcessMessageInternal() {
    FrameRun& run = FRAME.run;
    if (run.inPump) return 0;
    if (!run.mainWindow) return FRAME.endRequested ? -1 : 0;
    run.inPump = 1;
    // The background pump never touches the window, whichever thread runs it.
    const bool onMain = OnMainThread() && !run.inPumpDuty;
    const bool alwaysRun = FRAME.settings.alwaysRun != 0;
    for (;;) {
        if (!run.active && !alwaysRun) PlatSleepMillis(1);
        int found = onMain ? Pass() : 0;
        if (!run.active) {
            ServicesPump(onMain);
            PlatSleepMillis(1);
        }
        if (FRAME.endRequested || !run.mainWindow || !onMain) break;
        // While the window is in the background (and the program does not keep
        // running), passes go on: that is how the whole program pauses.
        if ((run.active || alwaysRun) && found == 0) break;
    }
    ServicesPump(onMain);
    RetakeInstanceMark();
    run.inPump = 0;
    return FRAME.endRequested ? -1 : 0;
}

// The background pump's duty, every 17 ms: one pump under the API lock. On the
// scripted platform it runs on the thread that moves the virtual clock; when that
// thread is inside a public call already, the pump waits for its next period, as a
// pump thread would wait for the lock.
int PumpDuty() {
    if (FRAME.endRequested) return -1;
    if (ApiLockHeldByCaller() > 0) return 0;
    if (!EnterApiLockUnless(EndRequestedForLock)) return -1;
    FRAME.run.inPumpDuty = 1;
    int result = ProcessMessageInternal();
    FRAME.run.inPumpDuty = 0;
    LeaveApiLock();
    return result == -1 ? -1 : 0;
}

void StopPump() {
    SetEndRequested();
    if (!FRAME.run.pumpStarted) return;
    FRAME.run.pumpStarted = 0;
    if (PlatPumpIsCurrentThread()) {
        PlatPumpStop();
        return;
    }
    // The pump may be queued for the lock this thread holds: hand the lock over so
    // that it can see the end and leave, then take it back.
    int depth = ApiLockHeldByCaller();
    for (int i = 0; i < depth; ++i) LeaveApiLock();
    PlatPumpStop();
    for (int i = 0; i < depth; ++i) EnterApiLock();
}

// Ends the window: the close request and its destroy, the mark given back, the
// pump stopped.
void EndWindow() {
    if (FRAME.run.mainWindow) {
        HandleCloseRequest();
        for (int i = 0; i < 1000 && ProcessMessageInternal() != -1; ++i) {
        }
    }
    SetEndRequested();
    if (FRAME.run.markHeld) {
        PlatInstanceRelease();
        FRAME.run.markHeld = 0;
    }
    StopPump();
    FRAME.run.mainWindow = 0;
}

void ShutDown() {
    FrameRun& run = FRAME.run;
    if (!run.running || run.ending) return;
    run.ending = 1;
    if (run.devicesStarted) {
        ServicesShutDown(SERVICE_STAGE_DEVICES);
        run.devicesStarted = 0;
    }
    EndWindow();
    if (run.videoStarted) {
        PlatVideoStop();
        run.videoStarted = 0;
        Log("ＣＯＭを終了... 完了\n");
    }
    run.initialised = 0;
    while (ProcessMessageInternal() != -1 && !FRAME.endRequested) {
    }
    if (run.startDirectory[0]) PlatSetCurrentDirectory(run.startDirectory);
    if (run.filesStarted) {
        ServicesShutDown(SERVICE_STAGE_FILES);
        run.filesStarted = 0;
    }
    if (run.logStarted) DumpAllocations();
    run.running = 0;
    run.ending = 0;
}

// The window set-up of InitMediaLayer. 0, or -1 with the end requested.
int SetUpWindow() {
    FrameRun& run = FRAME.run;
    FrameSettings& set = FRAME.settings;
    uint64_t total = 0, available = 0;
    PlatMemoryStatus(&total, &available);
    LogFormat("メモリ総量:%.2fMB  空きメモリ領域:%.2fMB ", total / 1048576.0,
              available / 1048576.0);

    ServicesStartUp(SERVICE_STAGE_WINDOW);  // the clock source, the random seed

    LogString("ソフトの二重起動検査... ");
    if (PlatInstanceExists(kClassName)) {
        if (!set.allowDoubleStart) {
            LogString("二重起動されています、ソフトを終了します\n");
            SetEndRequested();
            return -1;
        }
        LogString("二重起動されていますが続行します\n");
    } else {
        LogString("二重起動はされていませんでした\n");
    }

    // The class of the original platform is the mark a second copy looks for; here
    // registering it is taking the mark. A copy started while another holds it
    // runs without it and takes it over once the other copy is gone.
    LogString("ウインドウクラスを登録します... ");
    int mark = PlatInstanceCreate(kClassName);
    if (mark < 0) {
        LogString("ウインドウクラスの登録に失敗しました\n");
        SetEndRequested();
        return -1;
    }
    run.markHeld = mark == 0;
    run.markTriedAt = PlatTickMillis();
    LogString("登録に成功しました\n");

    if (set.windowTitle[0] == '\0') strcpy(set.windowTitle, kDefaultTitle);

    ServiceScreenMode mode = ServicesScreenMode();
    int width = mode.width, height = mode.height;
    if (set.windowMode) {
        LogString("ウインドウモード起動用のウインドウを作成します\n");
        width = static_cast<int>(width * SizeRate());
        height = static_cast<int>(height * SizeRate());
    } else {
        LogString("フルスクリーンモード用のウインドウを作成します\n");
    }
    if (PlatWindowOpen(set.windowTitle, width, height, WindowFlags()) != 0) {
        LogString("ウインドウの作成に失敗しました\n");
        SetEndRequested();
        return -1;
    }
    run.mainWindow = 1;
    run.active = 1;
    if (!set.windowMode) LogString("カーソルを不可視にしました\n");
    if (PlatWindowDisableTextInput()) LogString("ＩＭＥを無効にしました\n");

    PlatWindowRaise();
    uint32_t start = PlatTickMillis();
    while (static_cast<int32_t>(PlatTickMillis() - start) < kStartPumpMs) {
        if (ProcessMessageInternal() == -1) break;
        PlatSleepMillis(1);
    }

    if (PlatPumpStart(PumpDuty, kPumpPeriodMs) == 0) {
        run.pumpStarted = 1;
    } else {
        LogString("ProcessMessage をひたすら呼びつづけるスレッドの立ち上げに失敗しました\n");
    }
    return 0;
}

// 1 when the layer cannot show a screen of this many bits (it logs why).
bool RefusesDepth(int bits) {
    if (bits != 24) return false;
    LogString("ＰＡＶＥＸライブラリは２４ビットカラーモードに対応していません\n");
    return true;
}

int InitMediaLayerInternal() {
    // A running layer is left alone: starting it again would delete its log.
    if (FRAME.run.running) return -1;
    StopPump();

    FrameRun& run = FRAME.run;
    run = FrameRun{};
    run.mainThreadId = std::this_thread::get_id();
    FRAME.endRequested = 0;
    run.running = 1;

    if (PlatGetCurrentDirectory(run.startDirectory, sizeof run.startDirectory) != 0) {
        run.startDirectory[0] = '\0';
        run.running = 0;
        SetEndRequested();
        return -1;
    }
    LogStart(run.startDirectory);
    run.logStarted = 1;
    run.filesStarted = 1;
    ServicesStartUp(SERVICE_STAGE_FILES);

    if (RefusesDepth(ServicesScreenMode().colourBits)) {
        ShutDown();
        return -1;
    }
    LogSystemInformation();

    // The video and event services stand where the component runtime stood: every
    // device of the layer is reached through them.
    LogString("ＣＯＭの初期化... ");
    if (PlatVideoStart() != 0) {
        LogString("ＣＯＭの初期化に失敗しました\n");
        ShutDown();
        return -1;
    }
    run.videoStarted = 1;
    LogString("成功しました\n");

    PlatDesktopInfo desktop = {0, 0, 0, 0};
    PlatDesktop(&desktop);
    if ((FRAME.settings.windowMode && RefusesDepth(desktop.bitsPerPixel)) || SetUpWindow() != 0) {
        ShutDown();
        return -1;
    }

    run.devicesStarted = 1;
    if (ServicesStartUp(SERVICE_STAGE_DEVICES) != 0) {
        ShutDown();
        return -1;
    }

    run.initialised = 1;
    if (!FRAME.settings.windowMode) PlatWindowRaise();
    ServicesScreenReady();
    return 0;
}

int ChangeWindowModeInternal(int windowed) {
    Log("ChangeWindowMode実行 \n");
    windowed = windowed ? 1 : 0;
    if (windowed == FRAME.settings.windowMode) return 0;
    FRAME.settings.windowMode = windowed;
    Log(windowed ? "ウインドウモードフラグが立てられました\n"
                 : "ウインドウモードフラグが倒されました\n");
    if (!FRAME.run.initialised) return 0;
    LogString(windowed ? "ウインドウスタイルをウインドウモード用に変更します... "
                       : "ウインドウスタイルをフルスクリーンモード用に変更します... ");
    LogString("完了\n");
    int result = ServicesScreenRebuild();
    ProcessMessageInternal();
    return result;
}

// Copies at most 255 bytes, never cutting a UTF-8 character in two.
void CopyTitle(const char* title) {
    if (!title) title = "";
    size_t n = strnlen(title, kTitleBytes);
    if (n > kTitleBytes - 1) {
        n = kTitleBytes - 1;
        while (n > 0 && (static_cast<unsigned char>(title[n]) & 0xC0) == 0x80) --n;
    }
    memcpy(FRAME.settings.windowTitle, title, n);
    FRAME.settings.windowTitle[n] = '\0';
}

}  // namespace

// ---- frame.h ----

int FramePump() {
    ApiScope lock;
    return ProcessMessageInternal();
}

void FrameWaitWhileInactive() {
    const FrameRun& run = FRAME.run;
    if (run.inPump || !OnMainThread()) return;
    while (!FRAME.endRequested && run.mainWindow && !run.active &&
           !(FRAME.settings.alwaysRun && FRAME.settings.windowMode))
        ProcessMessageInternal();
}

void FrameRequestClose() {
    FRAME.run.closePosted = 1;
}

int FrameInitialised() {
    return FRAME.run.initialised;
}
int FrameEnding() {
    return FRAME.run.ending;
}
int FrameEndRequested() {
    return FRAME.endRequested.load();
}
int FrameIsActive() {
    return FRAME.run.active;
}
int FrameAlwaysRun() {
    return FRAME.settings.alwaysRun;
}
int FrameIsWindowed() {
    return FRAME.settings.windowMode;
}

int FrameApplyWindowMode(int width, int height, int refreshRate) {
    if (!FRAME.run.mainWindow) return 0;
    double rate = SizeRate();
    return PlatWindowSetMode(static_cast<int>(width * rate), static_cast<int>(height * rate),
                             WindowFlags(), FRAME.settings.windowMode ? 0 : refreshRate);
}

void FrameShutDown() {
    ShutDown();
}

void FrameResetDefaults() {
    if (FRAME.run.running) return;
    FRAME.settings = kDefaultSettings;
    FRAME.run.mainThreadId = std::thread::id();
    FRAME.endRequested = 0;
    ServicesResetDefaults();
}

// ---- public calls ----

int ChangeWindowMode(int windowed) {
    ApiScope lock;
    return ChangeWindowModeInternal(windowed);
}

int SetWindowTitle(const char* title) {
    ApiScope lock;
    CopyTitle(title);
    if (FRAME.run.mainWindow)
        PlatWindowSetTitle(FRAME.settings.windowTitle[0] ? FRAME.settings.windowTitle
                                                         : kDefaultTitle);
    return 0;
}

int SetAllowDoubleStart(int allow) {
    ApiScope lock;
    FRAME.settings.allowDoubleStart = allow ? 1 : 0;
    return 0;
}

int SetRunWhileInactive(int alwaysRun) {
    ApiScope lock;
    FRAME.settings.alwaysRun = alwaysRun ? 1 : 0;
    return 0;
}

int InitMediaLayer() {
    ApiScope lock;
    return InitMediaLayerInternal();
}

int EndMediaLayer() {
    bool ended = false;
    {
        ApiScope lock;
        ended = FRAME.run.running != 0;
        ShutDown();
    }
    // The lock's own resources go last, once nobody can be inside it any more.
    if (ended) CloseApiLock();
    return 0;
}

int ProcessMessage() {
    ApiScope lock;
    return ProcessMessageInternal();
}
