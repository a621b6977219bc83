// Linux only: console front ends with the host's side of them. winsim builds
// the windows and processes; under Take Command the host also answers the
// "HWND" and "HVIEW" questions of TakeCommandIPC.
#pragma once

#include "sim.h"

__attribute__((visibility("default"))) sim::FrontEndWindows SetupHostFrontEnd(sim::FrontEnd frontEnd);
