// services.h - the one registry through which the frame starts, stops, pumps,
// activates and notifies the areas of the library (files, time, input, sound,
// screen and graphics, text, movies, network).
//
// Owns: the table of service rows in services.cpp. This is the only file of
// media/core that knows the areas: the frame calls the functions below and never
// an area directly; an area joins by adding one row to the table. Every hook runs
// under the API lock. Which thread runs it:
//   startUp, shutDown, reset   the thread that called InitMediaLayer / EndMediaLayer
//                              (or the fatal exit, on whichever thread it happens)
//   pump                       inside every message pump: the main thread or the
//                              library's pump thread (see ServiceRow::pumpMainOnly)
//   focus, windowEvent         the main thread, while it polls window events
// No hook ever runs on the sound device's thread.
#ifndef PAVEX_CORE_SERVICES_H
#define PAVEX_CORE_SERVICES_H

// When in InitMediaLayer a row starts. Rows of one stage start in table order and
// stop in reverse table order.
enum ServiceStage {
    SERVICE_STAGE_FILES,    // right after the log file exists; stops after the window
    SERVICE_STAGE_WINDOW,   // inside the window set-up, before the double-start check
    SERVICE_STAGE_DEVICES,  // after the window; stops before the window ends
};

// Window events an area may care about.
enum ServiceWindowEvent {
    SERVICE_EVENT_EXPOSED,          // the window must be painted again
    SERVICE_EVENT_DISPLAY_CHANGED,  // the desktop's mode changed under the window
};

struct ServiceRow {
    const char* name;
    ServiceStage stage;
    int (*startUp)();                // 0, or -1: InitMediaLayer fails
    void (*shutDown)();              // must be harmless when startUp never ran
    void (*pump)();                  // periodic work inside every message pump
    int pumpMainOnly;                // 1: pump only on the main thread
    void (*focus)(int active);       // the window gained (1) or lost (0) the focus
    void (*windowEvent)(int event);  // a ServiceWindowEvent
    void (*reset)();                 // settings back to their defaults (layer down)
};

// 0, or -1 after the first failing row (rows started already stay up).
int ServicesStartUp(ServiceStage stage);
void ServicesShutDown(ServiceStage stage);
void ServicesPump(int onMainThread);
void ServicesFocus(int active);
void ServicesWindowEvent(int event);
void ServicesResetDefaults();

// What the frame needs of the screen to size its window and to finish start-up.
struct ServiceScreenMode {
    int width;
    int height;
    int colourBits;  // the depth asked for (or in force once the screen runs)
};
ServiceScreenMode ServicesScreenMode();
// Rebuilds the screen after a switch between window and full screen: 0, or -1.
int ServicesScreenRebuild();
// The end of InitMediaLayer: wait for the vertical blank, back then front screen as
// the draw target, one pass through the drawing path.
void ServicesScreenReady();

#endif
