// services.cpp - the table of service areas the frame drives (see services.h).
#include "media/core/services.h"

#include <stddef.h>

#include "media/input/input_service.h"

namespace {

// Areas in start-up order. Each row is added by the area that owns the functions.
const ServiceHooks kServices[] = {
    {"input", InputStartUp, InputShutDown, InputPump, InputActivate},
};
constexpr int kServiceCount = static_cast<int>(sizeof(kServices) / sizeof(kServices[0]));

}  // namespace

int ServicesStartUp() {
    for (int i = 0; i < kServiceCount; ++i) {
        if (kServices[i].startUp && kServices[i].startUp() != 0) return -1;
    }
    return 0;
}

void ServicesShutDown() {
    for (int i = kServiceCount - 1; i >= 0; --i) {
        if (kServices[i].shutDown) kServices[i].shutDown();
    }
}

void ServicesPump() {
    for (int i = 0; i < kServiceCount; ++i) {
        if (kServices[i].pump) kServices[i].pump();
    }
}

void ServicesActivate(int active) {
    for (int i = 0; i < kServiceCount; ++i) {
        if (kServices[i].activate) kServices[i].activate(active);
    }
}
