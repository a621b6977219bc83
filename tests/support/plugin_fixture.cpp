#include "support/plugin_fixture.h"

#include <string>
#include <vector>

#include "base/base.h"
#include "vivanta_version.h"

const char16_t TEST_MODULE_PATH[] = u"/opt/vivanta/Vivanta.so";

namespace {

template <typename Getter>
std::u16string ReadBack(Getter getter) {
    DWORD length = getter(nullptr, 0);
    std::vector<WCHAR> buffer(length + 1);
    getter(buffer.data(), static_cast<DWORD>(buffer.size()));
    return std::u16string(buffer.data());
}

}  // namespace

std::u16string Versioned(std::u16string text) {
    std::u16string fields[2][2] = {{u"%VERSION%", VIVANTA_VERSION_TEXT}, {u"%BUILD%", u""}};
    for (char digit : std::to_string(VIVANTA_VERSION_BUILD)) fields[1][1].push_back(static_cast<char16_t>(digit));
    for (const auto &field : fields) {
        for (size_t at = text.find(field[0]); at != std::u16string::npos; at = text.find(field[0], at)) {
            text.replace(at, field[0].size(), field[1]);
            at += field[1].size();
        }
    }
    return text;
}

std::u16string HostOutput(int stream) {
    return ReadBack([stream](LPWSTR b, DWORD n) { return HostCtlGetOutput(stream, b, n); });
}

std::u16string HostOptionValue(const std::u16string &name) {
    return ReadBack([&name](LPWSTR b, DWORD n) { return HostCtlGetOption(name.c_str(), b, n); });
}

std::u16string HostCommandLog() {
    return ReadBack(HostCtlGetCommandLog);
}

std::u16string HostIpcLog() {
    return ReadBack(HostCtlGetIpcLog);
}

std::string Narrow(const std::u16string &text) {
    std::string out;
    for (char16_t c : text) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else {
            char hex[16];
            snprintf(hex, sizeof hex, "\\u%04X", static_cast<unsigned>(c));
            out += hex;
        }
    }
    return out;
}

void PluginTest::SetUp() {
    sim::Reset();
    HostCtlReset();
    HostCtlCapture(1);
    MemResetCounts();
    ResetPlugin();
    AttachPlugin(sim::FakeModule(TEST_MODULE_PATH), DLL_PROCESS_ATTACH);
}

void PluginTest::TearDown() {
    if (started_) ShutdownPlugin();
    MemFailAllocation(0);
}

void PluginTest::StartPlugin() {
    ASSERT_EQ(InitializePlugin(), 0) << Narrow(Err());
    started_ = true;
    HostCtlClearOutput();
}
