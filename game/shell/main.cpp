// main.cpp - the entry point of the `vorlane` executable. The program takes no
// arguments and reads no environment; everything happens in the shell (app.cpp).
#include "shell/app.h"

int main() {
    return RunApplication();
}
