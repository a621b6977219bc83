// Every host test starts from a fresh machine and a fresh stand-in host.
#pragma once

#include <gtest/gtest.h>
#include <sim.h>

#include <string>
#include <vector>

#include "host_control.h"
#include "plugin/host.h"

class HostTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sim::Reset();
        HostCtlReset();
    }

    // ExpandVariables on a copy of `text` in a 1024-character buffer.
    static std::u16string Expand(const std::u16string &text) {
        std::vector<WCHAR> buffer(1024, 0);
        text.copy(buffer.data(), text.size() < 1023 ? text.size() : 1023);
        EXPECT_EQ(0, ExpandVariables(buffer.data(), 1));
        return std::u16string(buffer.data());
    }

    // Reads back one of the control API's texts in full.
    static std::u16string ReadBack(DWORD(WINAPI *read)(LPWSTR, DWORD)) {
        DWORD length = read(nullptr, 0);
        std::vector<WCHAR> buffer(length + 1, 0);
        read(buffer.data(), length + 1);
        return std::u16string(buffer.data(), length);
    }

    static std::u16string Output(int stream) {
        DWORD length = HostCtlGetOutput(stream, nullptr, 0);
        std::vector<WCHAR> buffer(length + 1, 0);
        HostCtlGetOutput(stream, buffer.data(), length + 1);
        return std::u16string(buffer.data(), length);
    }
};

// Readable failure messages for UTF-16 strings.
inline std::string Narrow(const std::u16string &text) {
    std::string out;
    for (char16_t c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return out;
}
