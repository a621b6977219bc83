// Front ends as the host sees them (Linux, over winsim).
#include "host_sim.h"

#include <string>

#include "host_control.h"

namespace {

std::u16string Decimal(HWND window) {
    std::string digits = std::to_string(reinterpret_cast<ULONG_PTR>(window));
    return std::u16string(digits.begin(), digits.end());
}

}  // namespace

sim::FrontEndWindows SetupHostFrontEnd(sim::FrontEnd frontEnd) {
    sim::FrontEndWindows windows = sim::SetupFrontEnd(frontEnd);
    if (frontEnd == sim::FrontEnd::TakeCommand) {
        HostCtlSetIpcAnswer(u"HWND", Decimal(windows.host).c_str(), 0);
        HostCtlSetIpcAnswer(u"HVIEW", Decimal(windows.display).c_str(), 0);
    }
    return windows;
}
