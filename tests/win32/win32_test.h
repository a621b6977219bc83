// The cases shared by both builds: on Linux they run against winsim, and the
// MinGW build of the same source runs them against Wine's Win32. They use
// Win32 calls alone, and set the last error to a sentinel before each call
// whose error they check, so that a call which fails without setting it, or
// sets it where it should not, is caught.
#pragma once

#ifdef _WIN32
#ifndef UNICODE
#define UNICODE
#endif
#include <windows.h>
#else
#include <sim.h>
#endif
#include <gtest/gtest.h>

#include <string>

using WString = std::basic_string<WCHAR>;

constexpr DWORD kSentinel = 0xdeadbeef;

// Sets the sentinel, then gives the call's result.
#define FRESH(call) (SetLastError(kSentinel), (call))
#define EXPECT_ERROR(code) EXPECT_EQ(GetLastError(), static_cast<DWORD>(code))

// Where Wine differs from Windows, a check runs on winsim alone, with the
// reason beside it; where nothing settles what Windows does, each side's
// result is recorded.
#ifdef _WIN32
constexpr bool kOnWine = true;
#else
constexpr bool kOnWine = false;
#endif

// True when an open was refused; a handle given all the same is closed, so
// that a failed check leaves nothing open for the next.
inline bool Refused(HANDLE handle) {
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr) return true;
    CloseHandle(handle);
    return false;
}

// Up to `size` bytes read from a handle, as many as it gave; `ok` gets
// what ReadFile answered.
inline std::string ReadSome(HANDLE handle, DWORD size, BOOL *ok = nullptr) {
    std::string bytes(size, '\0');
    DWORD got = 0;
    BOOL result = ReadFile(handle, &bytes[0], size, &got, nullptr);
    if (ok) *ok = result;
    bytes.resize(got);
    return bytes;
}

// Every case starts from a fresh machine on winsim.
class Win32Test : public ::testing::Test {
  protected:
    void SetUp() override {
#ifndef _WIN32
        sim::Reset();
#endif
    }
};

// A folder of the case's own, with a space in its name, under the folder
// GetTempPathW names; removed with everything in it afterwards.
class Win32FolderTest : public Win32Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    WString Path(const WString &name) const { return name.empty() ? folder_ : folder_ + TEXT("\\") + name; }
    HANDLE Open(const WString &name, DWORD access, DWORD disposition, DWORD share = 0) const {
        return CreateFileW(Path(name).c_str(), access, share, nullptr, disposition, 0, nullptr);
    }
    // A file made by another program, holding `bytes`.
    void Make(const WString &name, const std::string &bytes = std::string()) const;
    void MakeFolder(const WString &name) const;
    std::string Content(const WString &name) const;
    bool Exists(const WString &name) const { return GetFileAttributesW(Path(name).c_str()) != INVALID_FILE_ATTRIBUTES; }

    WString folder_;
};

// Removes a folder and everything in it, read-only files included.
void RemoveTree(const WString &folder);
WString Widen(const std::string &ascii);
std::string Narrow(const WString &text);
