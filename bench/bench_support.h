// What the benchmark programs share: a scratch folder for the files they
// read, the sections of a scheme file as users collect them, and the
// started plugin every benchmark that drives it measures
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

// One section as users collect them: a comment, every directive, a
// ColorDir and the sixteen palette entries: about 860 bytes, so that 70,000
// of them stay inside the 64 MiB a scheme file may have.
inline std::string CollectedSection(int n, const std::string &name) {
    constexpr const char *DIRECTIVES =
        "StdColors=Bright White on Blue\r\nInputColors=Bright Yellow on Blue\r\nErrorColors=Bright Red on Blue\r\n"
        "ListColors=Bright White on Blue\r\nListStatBarColors=Blue on Bright White\r\n"
        "ListInverseColors=Blue on Bright White\r\nSelectColors=Bright White on Blue\r\n"
        "SelectStatBarColors=Blue on Bright White\r\nSelectedColors=Blue on Bright White\r\n"
        "ColorDir=dirs:12;com exe:10;bat btm cmd:2;txt doc html:11;ini cfg:14;log:8;\r\n";
    std::string text = "; " + std::string(120, '-') + "\r\n; collected from somewhere, number " + std::to_string(n) +
                       "\r\n[" + name + "]\r\n" + DIRECTIVES;
    for (int i = 0; i < 16; ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "Color %d=#%02x%02x%02x\r\n", i, (n + i * 16) & 0xFF, (n >> 8) & 0xFF, i * 15);
        text += line;
    }
    return text + "\r\n";
}
