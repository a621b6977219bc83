// The registry as the plugin's settings use it: keys made and opened in any
// case, values read by the size rules, enumeration and deletion.
#include <algorithm>
#include <vector>

#include "win32_test.h"

namespace {

// The cases' keys live under a key of their own below HKCU\Software,
// deleted with everything in it afterwards.
class RegistryTest : public Win32Test {
  protected:
    void SetUp() override {
        Win32Test::SetUp();
        static unsigned made = 0;
        base_ = TEXT("Software\\Vivanta win32 ") + Widen(std::to_string(GetCurrentProcessId())) + TEXT("-") +
                Widen(std::to_string(++made));
    }
    void TearDown() override { DeleteTree(base_); }

    static void DeleteTree(const WString &path) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
        std::vector<WString> children = Enumerate(key);
        RegCloseKey(key);
        for (const WString &child : children) DeleteTree(path + TEXT("\\") + child);
        EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str()), ERROR_SUCCESS) << Narrow(path);
    }
    WString Under(const WString &path) const { return path.empty() ? base_ : base_ + TEXT("\\") + path; }
    HKEY Create(const WString &path, REGSAM access = KEY_ALL_ACCESS, DWORD *disposition = nullptr) const {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, Under(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                  nullptr, &key, disposition),
                  ERROR_SUCCESS);
        return key;
    }
    LSTATUS Open(const WString &path, REGSAM access, HKEY *key) const {
        return RegOpenKeyExW(HKEY_CURRENT_USER, Under(path).c_str(), 0, access, key);
    }
    LSTATUS Delete(const WString &path) const { return RegDeleteKeyW(HKEY_CURRENT_USER, Under(path).c_str()); }
    static std::vector<WString> Enumerate(HKEY key) {
        std::vector<WString> names;
        WCHAR name[256];
        for (DWORD i = 0;; ++i) {
            DWORD length = 256;
            LSTATUS error = RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr);
            if (error != ERROR_SUCCESS) {
                EXPECT_EQ(error, ERROR_NO_MORE_ITEMS);
                return names;
            }
            names.push_back(WString(name, length));
        }
    }
    static LSTATUS SetDword(HKEY key, const WCHAR *name, DWORD value) {
        return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), 4);
    }

    WString base_;
};

TEST_F(RegistryTest, CreateOpenAndQueryFollowTheSizeRules) {
    DWORD disposition = 0;
    HKEY key = Create(TEXT("Vendor\\App"), KEY_ALL_ACCESS, &disposition);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    EXPECT_EQ(SetDword(key, TEXT("Hotkey"), 0x1002C), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(Create(TEXT("VENDOR\\app"), KEY_READ, &disposition)), ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));

    HKEY read = nullptr;
    ASSERT_EQ(Open(TEXT("vendor\\App\\"), KEY_READ, &read), ERROR_SUCCESS);
    DWORD type = 0, value = 0, size = 0;
    EXPECT_EQ(RegQueryValueExW(read, TEXT("hotkey"), nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 4u);
    size = 2;
    EXPECT_EQ(RegQueryValueExW(read, TEXT("Hotkey"), nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(RegQueryValueExW(read, TEXT("Hotkey"), nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 0x1002Cu);
    EXPECT_EQ(RegQueryValueExW(read, TEXT("OSD"), nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueExW(read, TEXT("Hotkey"), nullptr, &type, reinterpret_cast<LPBYTE>(&value), nullptr),
              ERROR_INVALID_PARAMETER);

    HKEY missing = reinterpret_cast<HKEY>(1);
    EXPECT_EQ(Open(TEXT("Vendor\\Other"), KEY_READ, &missing), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(missing, nullptr);
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, TEXT("\\Software"), 0, KEY_READ, &missing), ERROR_BAD_PATHNAME);
    EXPECT_EQ(RegCloseKey(read), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
}

TEST_F(RegistryTest, DeletingRefusesKeysWithSubkeysAndOrphansHandles) {
    HKEY child = Create(TEXT("A\\B"));
    EXPECT_EQ(Delete(TEXT("A")), ERROR_ACCESS_DENIED);
    EXPECT_EQ(Delete(TEXT("A\\C")), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Delete(TEXT("a\\b")), ERROR_SUCCESS);
    EXPECT_EQ(SetDword(child, TEXT("X"), 1), ERROR_KEY_DELETED);
    EXPECT_EQ(RegCloseKey(child), ERROR_SUCCESS);
    EXPECT_EQ(Delete(TEXT("A")), ERROR_SUCCESS);
    HKEY gone = nullptr;
    EXPECT_EQ(Open(TEXT("A"), KEY_READ, &gone), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, EnumerationIsInUpperCasedOrderAndShiftsAfterADelete) {
    for (const WCHAR *name : {TEXT("beta"), TEXT("_under"), TEXT("Zed"), TEXT("alpha2"), TEXT("Alpha")}) {
        RegCloseKey(Create(WString(TEXT("P\\")) + name));
    }
    HKEY parent = nullptr;
    ASSERT_EQ(Open(TEXT("P"), KEY_READ, &parent), ERROR_SUCCESS);
    std::vector<WString> names = Enumerate(parent);
    // Windows keeps subkeys in the order of their upper-cased names, so "_"
    // sorts after the letters; Wine's server compares them lower-cased
    // (server/registry.c), so there it comes first: the order is checked on
    // winsim alone.
    if (!kOnWine) {
        EXPECT_EQ(names,
                  (std::vector<WString>{TEXT("Alpha"), TEXT("alpha2"), TEXT("beta"), TEXT("Zed"), TEXT("_under")}));
    }
    EXPECT_EQ(names.size(), 5u);

    WCHAR name[8];
    DWORD length = 5;  // "Alpha" needs a sixth unit for its terminator
    DWORD alpha = static_cast<DWORD>(std::find(names.begin(), names.end(), WString(TEXT("Alpha"))) - names.begin());
    EXPECT_EQ(RegEnumKeyExW(parent, alpha, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    EXPECT_EQ(length, 5u);
    EXPECT_EQ(Delete(TEXT("P\\Alpha")), ERROR_SUCCESS);
    length = 8;
    EXPECT_EQ(RegEnumKeyExW(parent, alpha, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(WString(name), names[alpha + 1]);  // the rest move up
    EXPECT_EQ(RegEnumKeyExW(parent, 4, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
    RegCloseKey(parent);
}

TEST_F(RegistryTest, HandlesDoOnlyWhatTheyWereOpenedFor) {
    RegCloseKey(Create(TEXT("K\\Sub")));
    HKEY read = nullptr, write = nullptr;
    ASSERT_EQ(Open(TEXT("K"), KEY_READ, &read), ERROR_SUCCESS);
    ASSERT_EQ(Open(TEXT("K"), KEY_SET_VALUE, &write), ERROR_SUCCESS);
    EXPECT_EQ(SetDword(read, TEXT("V"), 1), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueW(read, TEXT("V")), ERROR_ACCESS_DENIED);
    EXPECT_EQ(SetDword(write, TEXT("V"), 1), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(write, TEXT("V"), nullptr, nullptr, nullptr, &size), ERROR_ACCESS_DENIED);
    WCHAR name[8];
    DWORD length = 8;
    EXPECT_EQ(RegEnumKeyExW(write, 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueW(write, TEXT("v")), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueW(write, TEXT("V")), ERROR_FILE_NOT_FOUND);
    RegCloseKey(read);
    RegCloseKey(write);
}

}  // namespace
