// frame.cpp - the library frame: the settings made before start-up, InitMediaLayer
// and EndMediaLayer, the main window and its events, the message pump
// ProcessMessage, and the pump thread that keeps the services moving while the main
// thread is busy.
//
// Owns: the one system record below. The window and the display are reached only
// through plat_window.h, the single-instance mark through plat_instance.h. Only the
// thread that called InitMediaLayer polls window events; the pump thread drives the
// services and nothing else. The service areas (input, sound, network) are started,
// pumped and stopped through the table of services.h; the screen through screen.h.
#include "media/core/frame.h"

#include <stdint.h>
#include <string.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "media/core/api_lock.h"
#include "media/core/log.h"
#include "media/core/services.h"
#include "media/core/tracked_alloc.h"
#include "media/file/file_access.h"
#include "media/graphics/screen.h"
#include "pavex.h"
#include "media/platform/plat_clock.h"
#include "media/platform/plat_instance.h"
#include "media/platform/plat_system.h"
#include "media/platform/plat_window.h"
#include "media/time/time_internal.h"

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

struct SystemRecord {
    // Settings (kept across runs; FrameResetDefaults puts them back).
    int windowMode;                 // 1 window, 0 full screen (the default)
    char windowTitle[kTitleBytes];  // empty: "Pavex" at start-up
    int allowDoubleStart;
    int alwaysRun;
    int windowStyleIndex;   // 0..6
    double windowSizeRate;  // <= 0 counts as 1.0

    // The run. Cleared by InitMediaLayer.
    int mainWindow;  // 1 while the window exists
    int instance;    // no module handle on Linux: stays 0
    std::thread::id mainThreadId;
    int active;
    std::atomic<int> endRequested;
    int windowDestroyed;
    int initialised;
    char startDirectory[kStartDirectoryBytes];
    std::atomic<int> pumpThreadEnded;  // the pump thread itself lives in Pump() below

    int running;  // something was started that EndMediaLayer must stop
    int ending;
    int logStarted;
    int videoStarted;
    int servicesStarted;
    int markHeld;
    int inPump;              // re-entry guard of ProcessMessage
    uint32_t inactiveSince;  // tick when the window last turned inactive
    PlatDesktopInfo desktop;
};

SystemRecord S;

// The pump thread and what wakes it from its 17 ms sleep when the end is requested.
// Built on first use and never destroyed: a process that exits while the thread runs
// (the fatal exit, a display error) must not trip over a joinable thread object.
struct PumpThread {
    std::thread thread;
    std::mutex sleepMutex;
    std::condition_variable sleep;
};
alignas(PumpThread) unsigned char g_pumpStorage[sizeof(PumpThread)];

PumpThread& Pump() {
    static PumpThread* pump = new (g_pumpStorage) PumpThread();
    return *pump;
}

void Log(const char* text) {
    if (S.logStarted) LogString(text);
}

bool OnMainThread() {
    return S.mainThreadId == std::thread::id() || std::this_thread::get_id() == S.mainThreadId;
}

// The main thread sleeps on the platform clock (virtual in tests); any other thread
// sleeps for real, so that it never moves the main thread's clock.
void Sleep(int ms) {
    if (OnMainThread())
        PlatSleepMillis(ms);
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void SetEndRequested() {
    PumpThread& pump = Pump();
    {
        std::lock_guard<std::mutex> hold(pump.sleepMutex);
        S.endRequested = 1;
    }
    pump.sleep.notify_all();
}

bool EndRequestedForLock() {
    return S.endRequested.load() != 0;
}

int WindowFlags() {
    int row = S.windowStyleIndex;
    if (row < 0 || row > 6) row = 0;
    if (S.windowMode) return kWindowStyles[row].window;
    return PLAT_WINDOW_FULLSCREEN | PLAT_WINDOW_HIDE_CURSOR | kWindowStyles[row].fullScreen;
}

double SizeRate() {
    if (!S.windowMode || S.windowSizeRate <= 0.0) return 1.0;
    return S.windowSizeRate;
}

// The window is gone: what the destroy message did on the original platform.
void DestroyWindow() {
    PlatWindowClose();
    S.mainWindow = 0;
    Log("ウインドウが破棄されようとしています\n");
    S.windowDestroyed = 1;
    Log("ソフトを終了する準備が整いました\n");
    SetEndRequested();
}

void HandleCloseRequest() {
    if (!S.mainWindow) return;
    Log("ウインドウを閉じようとしています\n");
    DestroyWindow();
}

void SetActive(int active) {
    if (active == S.active) return;
    S.active = active;
    if (!active && !S.alwaysRun) S.inactiveSince = PlatTickMillis();
    ServicesActivate(active);
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
            ScreenRepaint();
            break;
        default:
            break;  // resizes are scaled by the platform; keys and devices it handled
    }
}

// One pass: up to five events. Returns how many were taken.
int Pass() {
    int count = 0;
    PlatEvent e;
    while (count < kMessagesPerPass && PlatPollEvent(&e)) {
        ++count;
        Dispatch(e);
    }
    return count;
}

int ProcessMessageInternal() {
    if (S.inPump) return 0;
    if (!S.mainWindow) return S.endRequested ? -1 : 0;
    S.inPump = 1;
    const bool onMain = OnMainThread();
    for (;;) {
        if (!S.active && !S.alwaysRun) Sleep(1);
        int found = onMain ? Pass() : 0;
        if (!S.active) {
            ServicesPump();
            Sleep(1);
        }
        if (S.endRequested || !S.mainWindow || !onMain) break;
        // While the window is in the background (and the program does not keep
        // running), passes go on: that is how the whole program pauses.
        if ((S.active || S.alwaysRun) && found == 0) break;
    }
    ServicesPump();
    S.inPump = 0;
    return S.endRequested ? -1 : 0;
}

void PumpThreadMain() {
    while (!S.endRequested) {
        if (!EnterApiLockUnless(EndRequestedForLock)) break;
        int result = ProcessMessageInternal();
        LeaveApiLock();
        if (result == -1) break;
        PumpThread& pump = Pump();
        std::unique_lock<std::mutex> hold(pump.sleepMutex);
        pump.sleep.wait_for(hold, std::chrono::milliseconds(kPumpPeriodMs),
                            [] { return S.endRequested.load() != 0; });
    }
    S.pumpThreadEnded = 1;
}

void StopPumpThread() {
    PumpThread& pump = Pump();
    if (!pump.thread.joinable()) return;
    SetEndRequested();
    if (pump.thread.get_id() == std::this_thread::get_id()) {
        pump.thread.detach();
        return;
    }
    // The pump thread may be queued for the lock this thread holds: hand the lock
    // over so that it can see the end and leave, then take it back.
    int depth = ApiLockHeldByCaller();
    for (int i = 0; i < depth; ++i) LeaveApiLock();
    pump.thread.join();
    for (int i = 0; i < depth; ++i) EnterApiLock();
}

// Ends the window: the close request and its destroy, the mark given back, the
// pump thread stopped.
void EndWindow() {
    if (S.mainWindow) {
        HandleCloseRequest();
        for (int i = 0; i < 1000 && ProcessMessageInternal() != -1; ++i) {
        }
    }
    SetEndRequested();
    if (S.markHeld) {
        PlatInstanceRelease();
        S.markHeld = 0;
    }
    StopPumpThread();
    S.mainWindow = 0;
}

void ShutDown() {
    if (!S.running || S.ending) return;
    S.ending = 1;
    if (S.servicesStarted) {
        ServicesShutDown();
        S.servicesStarted = 0;
    }
    ScreenShutDown();
    EndWindow();
    if (S.videoStarted) {
        PlatVideoStop();
        S.videoStarted = 0;
        Log("ＣＯＭを終了... 完了\n");
    }
    S.initialised = 0;
    while (ProcessMessageInternal() != -1 && !S.endRequested) {
    }
    if (S.startDirectory[0]) PlatSetCurrentDirectory(S.startDirectory);
    FileShutDown();
    if (S.logStarted) DumpAllocations();
    S.running = 0;
    S.ending = 0;
}

// The window set-up of InitMediaLayer. 0, or -1 with the end requested.
int SetUpWindow() {
    uint64_t total = 0, available = 0;
    PlatMemoryStatus(&total, &available);
    LogFormat("メモリ総量:%.2fMB  空きメモリ領域:%.2fMB ", total / 1048576.0,
              available / 1048576.0);

    ClockSelectSource();  // also seeds the random generator with the tick count

    LogString("ソフトの二重起動検査... ");
    if (PlatInstanceExists(kClassName)) {
        if (!S.allowDoubleStart) {
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
    // shares the name, as two processes share a registered class.
    LogString("ウインドウクラスを登録します... ");
    int mark = PlatInstanceCreate(kClassName);
    if (mark < 0) {
        LogString("ウインドウクラスの登録に失敗しました\n");
        SetEndRequested();
        return -1;
    }
    S.markHeld = mark == 0;
    LogString("登録に成功しました\n");

    if (S.windowTitle[0] == '\0') strcpy(S.windowTitle, kDefaultTitle);

    int width = ScreenWidth(), height = ScreenHeight();
    if (S.windowMode) {
        LogString("ウインドウモード起動用のウインドウを作成します\n");
        width = static_cast<int>(width * SizeRate());
        height = static_cast<int>(height * SizeRate());
    } else {
        LogString("フルスクリーンモード用のウインドウを作成します\n");
    }
    if (PlatWindowOpen(S.windowTitle, width, height, WindowFlags()) != 0) {
        LogString("ウインドウの作成に失敗しました\n");
        SetEndRequested();
        return -1;
    }
    S.mainWindow = 1;
    S.active = 1;
    if (!S.windowMode) LogString("カーソルを不可視にしました\n");
    if (PlatWindowDisableTextInput()) LogString("ＩＭＥを無効にしました\n");

    PlatWindowRaise();
    uint32_t start = PlatTickMillis();
    while (static_cast<int32_t>(PlatTickMillis() - start) < kStartPumpMs) {
        if (ProcessMessageInternal() == -1) break;
        PlatSleepMillis(1);
    }

    S.pumpThreadEnded = 0;
    try {
        Pump().thread = std::thread(PumpThreadMain);
    } catch (const std::system_error&) {
        LogString("ProcessMessage をひたすら呼びつづけるスレッドの立ち上げに失敗しました\n");
    }
    return 0;
}

int InitMediaLayerInternal() {
    // A running layer is left alone: starting it again would delete its log.
    if (S.running) return -1;
    StopPumpThread();

    S.mainWindow = 0;
    S.instance = 0;
    S.mainThreadId = std::this_thread::get_id();
    S.active = 0;
    S.endRequested = 0;
    S.windowDestroyed = 0;
    S.initialised = 0;
    S.pumpThreadEnded = 0;
    S.ending = 0;
    S.videoStarted = 0;
    S.servicesStarted = 0;
    S.markHeld = 0;
    S.inPump = 0;
    S.running = 1;

    if (PlatGetCurrentDirectory(S.startDirectory, sizeof S.startDirectory) != 0) {
        S.startDirectory[0] = '\0';
        S.running = 0;
        SetEndRequested();
        return -1;
    }
    LogStart(S.startDirectory);
    S.logStarted = 1;
    FileStartUp();

    if (ScreenColourBits() == 24) {
        LogString("ＰＡＶＥＸライブラリは２４ビットカラーモードに対応していません\n");
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
    S.videoStarted = 1;
    LogString("成功しました\n");

    S.desktop = PlatDesktopInfo{0, 0, 0, 0};
    PlatDesktop(&S.desktop);
    if (S.windowMode && S.desktop.bitsPerPixel == 24) {
        LogString("ＰＡＶＥＸライブラリは２４ビットカラーモードに対応していません\n");
        ShutDown();
        return -1;
    }

    if (SetUpWindow() != 0) {
        ShutDown();
        return -1;
    }

    S.servicesStarted = 1;
    if (ServicesStartUp() != 0 || ScreenStartUp() != 0) {
        ShutDown();
        return -1;
    }

    S.initialised = 1;
    ScreenSetWaitVSync(1);
    if (!S.windowMode) PlatWindowRaise();
    ScreenSelectTarget(PAVEX_SCREEN_BACK);
    ScreenSelectTarget(PAVEX_SCREEN_FRONT);
    return 0;
}

int ChangeWindowModeInternal(int windowed) {
    Log("ChangeWindowMode実行 \n");
    windowed = windowed ? 1 : 0;
    if (windowed == S.windowMode) return 0;
    S.windowMode = windowed;
    Log(windowed ? "ウインドウモードフラグが立てられました\n"
                 : "ウインドウモードフラグが倒されました\n");
    if (!S.initialised) return 0;
    LogString(windowed ? "ウインドウスタイルをウインドウモード用に変更します... "
                       : "ウインドウスタイルをフルスクリーンモード用に変更します... ");
    LogString("完了\n");
    int result = ScreenRebuild();
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
    memcpy(S.windowTitle, title, n);
    S.windowTitle[n] = '\0';
}

}  // namespace

// ---- frame.h ----

int FrameInitialised() {
    return S.initialised;
}
int FrameEnding() {
    return S.ending;
}
int FrameEndRequested() {
    return S.endRequested.load();
}
int FrameIsActive() {
    return S.active;
}
int FrameAlwaysRun() {
    return S.alwaysRun;
}
int FrameIsWindowed() {
    return S.windowMode;
}
int FrameIsMainThread() {
    return OnMainThread() ? 1 : 0;
}
const char* FrameStartDirectory() {
    return S.startDirectory;
}

void FrameWaitWhileInactive() {
    if (S.inPump || !OnMainThread()) return;
    while (!S.endRequested && S.mainWindow && !S.active && !(S.alwaysRun && S.windowMode))
        ProcessMessageInternal();
}

void FrameShutDown() {
    ShutDown();
}

int FrameApplyWindowMode(int width, int height, int refreshRate) {
    if (!S.mainWindow) return 0;
    double rate = SizeRate();
    return PlatWindowSetMode(static_cast<int>(width * rate), static_cast<int>(height * rate),
                             WindowFlags(), S.windowMode ? 0 : refreshRate);
}

void FrameResetDefaults() {
    if (S.running) return;
    S.endRequested = 0;
    S.windowDestroyed = 0;
    S.mainThreadId = std::thread::id();
    S.windowMode = 0;
    S.windowTitle[0] = '\0';
    S.allowDoubleStart = 0;
    S.alwaysRun = 0;
    S.windowStyleIndex = 0;
    S.windowSizeRate = 1.0;
    ScreenResetDefaults();
}

// ---- public calls ----

int ChangeWindowMode(int windowed) {
    ApiScope lock;
    return ChangeWindowModeInternal(windowed);
}

int SetWindowTitle(const char* title) {
    ApiScope lock;
    CopyTitle(title);
    if (S.mainWindow) PlatWindowSetTitle(S.windowTitle[0] ? S.windowTitle : kDefaultTitle);
    return 0;
}

int SetAllowDoubleStart(int allow) {
    ApiScope lock;
    S.allowDoubleStart = allow ? 1 : 0;
    return 0;
}

int SetRunWhileInactive(int alwaysRun) {
    ApiScope lock;
    S.alwaysRun = alwaysRun ? 1 : 0;
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
        ended = S.running != 0;
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
