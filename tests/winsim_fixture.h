// Every winsim test starts from a fresh machine.
#pragma once

#include <gtest/gtest.h>
#include <sim.h>

#include <string>
#include <vector>

class WinsimTest : public ::testing::Test {
  protected:
    void SetUp() override { sim::Reset(); }

    static HANDLE OpenConsoleOutput() {
        return CreateFileW(u"conout$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    }

    static HWND Window(const std::u16string &className, HWND parent = nullptr, bool visible = true,
                       RECT rect = {0, 0, 800, 600}, DWORD pid = 0) {
        sim::WindowSpec spec;
        spec.className = className;
        spec.parent = parent;
        spec.visible = visible;
        spec.rect = rect;
        spec.processId = pid;
        return sim::CreateSimWindow(spec);
    }

    static std::u16string Text(HWND window) {
        WCHAR buffer[1024];
        int length = GetWindowTextW(window, buffer, 1024);
        return std::u16string(buffer, static_cast<size_t>(length));
    }

    static std::u16string ClassOf(HWND window) {
        WCHAR buffer[1024];
        UINT length = RealGetWindowClassW(window, buffer, 1024);
        return std::u16string(buffer, length);
    }
};
