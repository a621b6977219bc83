// vhost on Linux: the machine is winsim. Standard output and error lead to
// the real descriptors 1 and 2 and are mirrored into the simulated console,
// so that `screen` shows what the plugin wrote.
#include <sim.h>

#include <fstream>

#include "base/base.h"

#include "host_control.h"
#include "host_sim.h"
#include "vhost.h"

namespace vhost {

namespace {

std::string Narrow(const Text &text) {
    std::string out;
    for (WCHAR c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return out;
}

std::string Utf8Of(const Text &text) {
    std::string bytes(text.size() * 3 + 1, '\0');
    bytes.resize(Utf16ToUtf8(text.data(), text.size(), &bytes[0], bytes.size()));
    return bytes;
}

bool SetUpFrontEnd(const Text &name) {
    sim::FrontEnd frontEnd = sim::FrontEnd::ClassicConsole;
    if (!name.empty() && !sim::ParseFrontEnd(Narrow(name), &frontEnd)) {
        PrintError(Widen("vhost: unknown front end ") + name);
        return false;
    }
    SetupHostFrontEnd(frontEnd);
    return true;
}

}  // namespace

std::vector<Text> CollectArguments(int argc, char **argv) {
    std::vector<Text> args;
    for (int i = 1; i < argc; ++i) args.push_back(FromUtf8(argv[i]));
    return args;
}

bool PrepareWorld(const Options &options) {
    sim::Reset();
    sim::SetStdTarget(STD_OUTPUT_HANDLE, sim::StdTarget::Fd, 1, true);
    sim::SetStdTarget(STD_ERROR_HANDLE, sim::StdTarget::Fd, 2, true);
    if (options.columns > 0) sim::SetConsoleSize(options.columns, options.rows);
    HostCtlReset();
    if (!SetUpFrontEnd(options.frontEnd)) return false;
    if (!options.registryFile.empty()) {
        // A file that does not exist yet is a registry that is still empty.
        std::string path = Utf8Of(options.registryFile);
        std::string error;
        if (std::ifstream(path) && !sim::LoadRegistry(path, &error)) {
            PrintError(Widen("vhost: registry ") + options.registryFile + Widen(", ") + FromUtf8(error));
            return false;
        }
    }
    return true;
}

void FinishWorld(const Options &options) {
    if (!options.vtLogFile.empty()) {
        std::string bytes = Utf8Of(sim::VtLog());
        std::ofstream file(Utf8Of(options.vtLogFile), std::ios::binary | std::ios::app);
        if (!file.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) || !file.flush()) {
            PrintError(Widen("vhost: cannot write the VT log ") + options.vtLogFile);
        }
    }
    if (!options.registryFile.empty()) {
        std::string error;
        if (!sim::SaveRegistry(Utf8Of(options.registryFile), &error)) {
            PrintError(Widen("vhost: ") + FromUtf8(error));
        }
    }
}

const WCHAR *PluginFileName() {
    return TEXT("Vivanta.so");
}

bool ToldOfAttach(HMODULE module) {
    return sim::HasEntryPoint(module);
}

void HoldModifiers(bool shift, bool ctrl, bool alt) {
    sim::SetKeyHeld(VK_SHIFT, shift);
    sim::SetKeyHeld(VK_CONTROL, ctrl);
    sim::SetKeyHeld(VK_MENU, alt);
}

Text DrawnText(HWND window) {
    return sim::LastDrawnText(window);
}

void RunMessagesFor(DWORD ms) {
    sim::RunFor(ms);
}

size_t MessageBoxCount() {
    return sim::MessageBoxes().size();
}

void PrintMessageBoxesSince(size_t first) {
    std::vector<sim::MessageBoxRecord> boxes = sim::MessageBoxes();
    for (size_t i = first; i < boxes.size(); ++i) {
        Text text = boxes[i].text;
        if (text.empty() || text.back() != '\n') text += Widen("\r\n");
        Print(Widen("MessageBox \"") + boxes[i].caption + Widen("\"\r\n") + text);
    }
}

// Typed at the simulated console: each key acts when the command reads it.
void QueueKeys(const std::vector<KeyPress> &presses) {
    std::vector<INPUT_RECORD> records;
    for (const KeyPress &press : presses) {
        records.push_back(
            sim::KeyRecord(press.down, press.virtualKey, press.character, press.controlKeyState, press.repeat));
    }
    sim::TypeKeys(records);
}

void ResizeWindow(SHORT columns, SHORT rows) {
    sim::ResizeConsoleWindow(columns, rows);
}

}  // namespace vhost
