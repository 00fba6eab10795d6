// plat_instance.h - the single-instance mark by which a second copy of a program
// finds the first (a name held by the running process and released by the system
// even when the process dies).
//
// Implemented by media/platform/live/instance_mark.cpp (an abstract-namespace UNIX
// socket, shared by every process of the machine) and by the scripted platform (a
// mark inside the test process, so test processes running side by side never meet).
#ifndef PAVEX_PLATFORM_INSTANCE_H
#define PAVEX_PLATFORM_INSTANCE_H

// 1 when some process (this one included) holds the mark `name`, else 0.
int PlatInstanceExists(const char* name);
// Takes the mark for this process: 0 taken (or already held by this process),
// 1 another process holds it already, -1 failure (bad name, no socket).
int PlatInstanceCreate(const char* name);
// Gives the mark back; nothing happens when none is held.
void PlatInstanceRelease();

#endif
