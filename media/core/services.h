// services.h - how the frame starts, drives and stops the service areas (input,
// sound, network) without knowing them.
//
// Owns: the table of service hooks in services.cpp. InitMediaLayer calls
// ServicesStartUp in table order (input, then sound); EndMediaLayer calls
// ServicesShutDown in reverse order; every ProcessMessage calls ServicesPump; a
// change of window focus calls ServicesActivate. An area joins by adding one row.
#ifndef PAVEX_CORE_SERVICES_H
#define PAVEX_CORE_SERVICES_H

struct ServiceHooks {
    const char* name;
    int (*startUp)();  // 0, or -1: InitMediaLayer fails
    void (*shutDown)();
    void (*pump)();                // periodic work inside ProcessMessage
    void (*activate)(int active);  // window focus changed
};

int ServicesStartUp();  // 0, or -1 after the first failing area (already started ones stay up)
void ServicesShutDown();
void ServicesPump();
void ServicesActivate(int active);

#endif
