// services.cpp - the table of service rows the frame drives (see services.h).
//
// Owns: the rows and the order in which they start and stop. The order of the
// device rows is the start-up order; shutdown runs it backwards, so the areas that
// were started last (network, text) are stopped first and input last.
#include "media/core/services.h"

#include <stddef.h>

#include "media/file/file_access.h"
#include "media/graphics/movie.h"
#include "media/graphics/screen.h"
#include "media/graphics/text.h"
#include "media/input/input_service.h"
#include "media/sound/sound_internal.h"
#include "media/net/net_service.h"
#include "media/time/time_internal.h"

namespace {

int TimeStartUp() {
    ClockSelectSource();  // also seeds the random generator with the tick count
    return 0;
}

const ServiceRow kRows[] = {
    // name      stage                  startUp        shutDown        pump       main  focus
    // windowEvent        reset
    {"files", SERVICE_STAGE_FILES, FileStartUp, FileShutDown, nullptr, 0, nullptr, nullptr,
     nullptr},
    {"time", SERVICE_STAGE_WINDOW, TimeStartUp, nullptr, nullptr, 0, nullptr, nullptr, nullptr},
    {"input", SERVICE_STAGE_DEVICES, InputStartUp, InputShutDown, InputPump, 0, InputActivate,
     nullptr, nullptr},
    {"sound", SERVICE_STAGE_DEVICES, SoundStartUp, SoundShutDown, SoundPump, 0, nullptr, nullptr,
     SoundResetDefaults},
    // Movies stop after the screen, whose graphics close the movies they show first.
    {"movies", SERVICE_STAGE_DEVICES, MoviesStartUp, MoviesShutDown, nullptr, 0, MoviesFocus,
     nullptr, nullptr},
    {"screen", SERVICE_STAGE_DEVICES, ScreenStartUp, ScreenShutDown, nullptr, 0, nullptr,
     ScreenWindowEvent, ScreenResetDefaults},
    {"text", SERVICE_STAGE_DEVICES, TextStartUp, TextShutDown, nullptr, 0, nullptr, nullptr,
     TextResetDefaults},
    // The network starts on first use; stopped first of the devices.
    {"network", SERVICE_STAGE_DEVICES, nullptr, NetShutDown, NetPump, 0, nullptr, nullptr, nullptr},
};
constexpr int kRowCount = static_cast<int>(sizeof(kRows) / sizeof(kRows[0]));

}  // namespace

int ServicesStartUp(ServiceStage stage) {
    for (const ServiceRow& row : kRows) {
        if (row.stage == stage && row.startUp && row.startUp() != 0) return -1;
    }
    return 0;
}

void ServicesShutDown(ServiceStage stage) {
    for (int i = kRowCount - 1; i >= 0; --i) {
        if (kRows[i].stage == stage && kRows[i].shutDown) kRows[i].shutDown();
    }
}

void ServicesPump(int onMainThread) {
    for (const ServiceRow& row : kRows) {
        if (row.pump && (onMainThread || !row.pumpMainOnly)) row.pump();
    }
}

void ServicesFocus(int active) {
    for (const ServiceRow& row : kRows) {
        if (row.focus) row.focus(active);
    }
}

void ServicesWindowEvent(int event) {
    for (const ServiceRow& row : kRows) {
        if (row.windowEvent) row.windowEvent(event);
    }
}

void ServicesResetDefaults() {
    for (const ServiceRow& row : kRows) {
        if (row.reset) row.reset();
    }
}

ServiceScreenMode ServicesScreenMode() {
    return ServiceScreenMode{ScreenWidth(), ScreenHeight(), ScreenColourBits()};
}

int ServicesScreenRebuild() {
    return ScreenRebuild();
}

void ServicesScreenReady() {
    ScreenReady();
}
