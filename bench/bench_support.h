// The started plugin every benchmark that drives it measures against: a
// fresh simulated machine and host with output captured, then the plugin
// attached from a folder of its own and started as the host starts it.
#pragma once

#include <sim.h>

#include <cstdio>
#include <cstdlib>

#include "host_control.h"
#include "plugin/plugin.h"
#include "schemes/schemes.h"

// What a benchmark sets on the machine (console size, front end, variables)
// goes between the two calls.
inline void ResetBenchWorld(void) {
    sim::Reset();
    HostCtlReset();
    HostCtlCapture(1);
}

// Ends the program when the plugin refuses to start: no figure would mean
// anything.
inline void StartBenchPlugin(void) {
    ResetPluginState();
    FreeSchemeList();
    AttachPlugin(sim::FakeModule(u"/opt/vivanta/Vivanta.so"), DLL_PROCESS_ATTACH);
    if (InitializePlugin() != 0) {
        std::fprintf(stderr, "the plugin did not start\n");
        std::exit(1);
    }
}
