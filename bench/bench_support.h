// What the benchmark programs share: a scratch folder for the files they
// read, and the started plugin every benchmark that drives it measures
// against (a fresh simulated machine and host with output captured, then
// the plugin attached from a folder of its own and started as the host
// starts it).
#pragma once

#include <sim.h>
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <string>

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

// A folder of the program's own under /tmp, made on first use and removed
// when the program ends.
inline std::string &ScratchDirectory(void) {
    static std::string dir;
    if (dir.empty()) {
        char pattern[] = "/tmp/vivanta_bench_XXXXXX";
        dir = mkdtemp(pattern) ? pattern : "/tmp";
        atexit([] { (void)!system(("rm -rf " + ScratchDirectory()).c_str()); });
    }
    return dir;
}
