// The registry behaviours the plugin relies on, as Windows shows them.
#include <cstdio>

#include "winsim_fixture.h"

namespace {

class RegistryTest : public WinsimTest {
  protected:
    static HKEY Create(const std::u16string &path, REGSAM access = KEY_ALL_ACCESS, DWORD *disposition = nullptr,
                       DWORD options = REG_OPTION_NON_VOLATILE) {
        HKEY key = nullptr;
        EXPECT_EQ(
            RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, options, access, nullptr, &key, disposition),
            ERROR_SUCCESS)
            << path.size();
        return key;
    }
    static LSTATUS Open(const std::u16string &path, REGSAM access, HKEY *key) {
        return RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, access, key);
    }
    static std::vector<std::u16string> Enumerate(HKEY key) {
        std::vector<std::u16string> names;
        WCHAR name[256];
        for (DWORD i = 0;; ++i) {
            DWORD length = 256;
            LSTATUS error = RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr);
            if (error == ERROR_NO_MORE_ITEMS) return names;
            EXPECT_EQ(error, ERROR_SUCCESS);
            names.push_back(std::u16string(name, length));
        }
    }
    static LSTATUS SetDword(HKEY key, const char16_t *name, DWORD value) {
        return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), 4);
    }
};

TEST_F(RegistryTest, CreateOpenAndQueryFollowTheSizeRules) {
    DWORD disposition = 0;
    HKEY key = Create(u"Software\\Vendor\\App", KEY_ALL_ACCESS, &disposition);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    EXPECT_EQ(SetDword(key, u"Hotkey", 0x1002C), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(Create(u"software\\VENDOR\\app", KEY_READ, &disposition)), ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    EXPECT_EQ(sim::OpenKeyCount(), 1);

    HKEY read = nullptr;
    ASSERT_EQ(Open(u"SOFTWARE\\vendor\\App\\", KEY_READ, &read), ERROR_SUCCESS);
    DWORD type = 0, value = 0, size = 0;
    EXPECT_EQ(RegQueryValueExW(read, u"hotkey", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 4u);
    size = 2;
    EXPECT_EQ(RegQueryValueExW(read, u"Hotkey", nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(RegQueryValueExW(read, u"Hotkey", nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 0x1002Cu);
    EXPECT_EQ(RegQueryValueExW(read, u"OSD", nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueExW(read, u"Hotkey", nullptr, &type, reinterpret_cast<LPBYTE>(&value), nullptr),
              ERROR_INVALID_PARAMETER);

    HKEY missing = reinterpret_cast<HKEY>(1);
    EXPECT_EQ(Open(u"Software\\Vendor\\Other", KEY_READ, &missing), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(missing, nullptr);
    EXPECT_EQ(Open(u"\\Software", KEY_READ, &missing), ERROR_BAD_PATHNAME);
    EXPECT_EQ(RegCloseKey(read), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
    EXPECT_EQ(sim::OpenKeyCount(), 0);
}

TEST_F(RegistryTest, DeletingRefusesKeysWithSubkeysAndOrphansHandles) {
    HKEY child = Create(u"A\\B");
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"A"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"A\\C"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"a\\b"), ERROR_SUCCESS);
    EXPECT_EQ(SetDword(child, u"X", 1), ERROR_KEY_DELETED);
    EXPECT_EQ(RegCloseKey(child), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"A"), ERROR_SUCCESS);
    EXPECT_FALSE(sim::RegistryKeyExists(HKEY_CURRENT_USER, u"A"));
}

TEST_F(RegistryTest, EnumerationIsInUpperCasedOrderAndShiftsAfterADelete) {
    for (const char16_t *name : {u"beta", u"_under", u"Zed", u"alpha2", u"Alpha"}) {
        RegCloseKey(Create(std::u16string(u"P\\") + name));
    }
    HKEY parent = nullptr;
    ASSERT_EQ(Open(u"P", KEY_READ, &parent), ERROR_SUCCESS);
    // "_" sorts after the letters because names are compared upper-cased.
    EXPECT_EQ(Enumerate(parent), (std::vector<std::u16string>{u"Alpha", u"alpha2", u"beta", u"Zed", u"_under"}));

    WCHAR name[8];
    DWORD length = 5;  // "Alpha" needs a sixth unit for its terminator
    EXPECT_EQ(RegEnumKeyExW(parent, 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    EXPECT_EQ(length, 5u);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"P\\Alpha"), ERROR_SUCCESS);
    length = 8;
    EXPECT_EQ(RegEnumKeyExW(parent, 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(name), u"alpha2");
    EXPECT_EQ(RegEnumKeyExW(parent, 4, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
    RegCloseKey(parent);
}

TEST_F(RegistryTest, HandlesDoOnlyWhatTheyWereOpenedFor) {
    RegCloseKey(Create(u"K\\Sub"));
    HKEY read = nullptr, write = nullptr;
    ASSERT_EQ(Open(u"K", KEY_READ, &read), ERROR_SUCCESS);
    ASSERT_EQ(Open(u"K", KEY_SET_VALUE, &write), ERROR_SUCCESS);
    EXPECT_EQ(SetDword(read, u"V", 1), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueW(read, u"V"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(SetDword(write, u"V", 1), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(write, u"V", nullptr, nullptr, nullptr, &size), ERROR_ACCESS_DENIED);
    WCHAR name[8];
    DWORD length = 8;
    EXPECT_EQ(RegEnumKeyExW(write, 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueW(write, u"v"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueW(write, u"V"), ERROR_FILE_NOT_FOUND);
    RegCloseKey(read);
    RegCloseKey(write);
}

TEST_F(RegistryTest, DeniedKeysRefuseAsAnAccessListWould) {
    sim::CreateRegistryKey(HKEY_CURRENT_USER, u"D\\Locked");
    HKEY key = nullptr;
    sim::DenyRegistryKey(HKEY_CURRENT_USER, u"d\\locked", sim::RegistryDenial::Open);
    EXPECT_EQ(Open(u"D\\Locked", KEY_READ, &key), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"D\\Locked", 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"D\\Locked"), ERROR_ACCESS_DENIED);

    sim::DenyRegistryKey(HKEY_CURRENT_USER, u"D\\Locked", sim::RegistryDenial::Write);
    EXPECT_EQ(Open(u"D\\Locked", KEY_WRITE, &key), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"D\\Locked\\New", 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_FALSE(sim::RegistryKeyExists(HKEY_CURRENT_USER, u"D\\Locked\\New"));
    ASSERT_EQ(Open(u"D\\Locked", KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);

    sim::DenyRegistryKey(HKEY_CURRENT_USER, u"D\\Locked", sim::RegistryDenial::Delete);
    EXPECT_EQ(Open(u"D\\Locked", KEY_ALL_ACCESS, &key), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"D\\Locked"), ERROR_ACCESS_DENIED);
    // A denial holds for a path before its key exists.
    sim::DenyRegistryKey(HKEY_CURRENT_USER, u"D\\Later", sim::RegistryDenial::Open);
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"D\\Later", 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr),
              ERROR_ACCESS_DENIED);

    sim::DenyRegistryKey(HKEY_CURRENT_USER, u"D\\Locked", sim::RegistryDenial::None);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"D\\Locked"), ERROR_SUCCESS);
    EXPECT_EQ(sim::OpenKeyCount(), 0);
}

TEST_F(RegistryTest, InjectedFailuresReturnTheirCodeAndLeaveTheLastError) {
    SetLastError(1234);
    sim::FailCall("RegCreateKeyExW", ERROR_CANTWRITE);
    HKEY key = reinterpret_cast<HKEY>(1);
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"F", 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_CANTWRITE);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(GetLastError(), 1234u);
    EXPECT_FALSE(sim::RegistryKeyExists(HKEY_CURRENT_USER, u"F"));
    key = Create(u"F");
    sim::FailCall("RegSetValueExW", ERROR_CANTWRITE, 2);
    EXPECT_EQ(SetDword(key, u"A", 1), ERROR_SUCCESS);
    EXPECT_EQ(SetDword(key, u"B", 1), ERROR_CANTWRITE);
    RegCloseKey(key);
}

TEST_F(RegistryTest, TextRoundTripKeepsTypesBytesAndEmptyKeysButNotVolatileOnes) {
    sim::SetRegistryDword(HKEY_CURRENT_USER, u"Software\\App", u"Hotkey", 0x7005E);
    sim::SetRegistryString(HKEY_CURRENT_USER, u"Software\\App", u"Name \"q\" \\", u"Crème\nbrûlée");
    sim::SetRegistryValue(HKEY_CURRENT_USER, u"Software\\App", u"", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8});
    sim::SetRegistryValue(HKEY_CURRENT_USER, u"Software\\App", u"odd", REG_SZ, {0x41});
    sim::SetRegistryValue(HKEY_LOCAL_MACHINE, u"Empty\\Values", u"none", REG_BINARY, {});
    sim::CreateRegistryKey(HKEY_LOCAL_MACHINE, u"Empty\\Key");
    sim::CreateRegistryKey(HKEY_CURRENT_USER, u"Parent");
    RegCloseKey(Create(u"Parent\\Session", KEY_READ, nullptr, REG_OPTION_VOLATILE));

    std::string text = sim::RegistryText();
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\App]\n\"Hotkey\"=dword:0007005e\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\"Name \\\"q\\\" \\\\\"=\"Crème\\nbrûlée\"\n"), std::string::npos) << text;
    EXPECT_NE(text.find("@=hex(b):01,02,03,04,05,06,07,08\n\"odd\"=hex(1):41\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("Session"), std::string::npos);

    std::string path = testing::TempDir() + "winsim_registry.txt";
    std::string error;
    ASSERT_TRUE(sim::SaveRegistry(path, &error)) << error;
    sim::Reset();
    ASSERT_TRUE(sim::LoadRegistry(path, &error)) << error;
    std::remove(path.c_str());
    EXPECT_EQ(sim::RegistryText(), text);
    EXPECT_TRUE(sim::RegistryKeyExists(HKEY_LOCAL_MACHINE, u"empty\\key"));
    EXPECT_TRUE(sim::RegistryKeyExists(HKEY_CURRENT_USER, u"Parent"));
}

TEST_F(RegistryTest, ABadFileIsRefusedWholeAndSaysWhere) {
    sim::SetRegistryDword(HKEY_CURRENT_USER, u"Keep", u"V", 1);
    std::string before = sim::RegistryText();
    std::string error;
    const char *bad[] = {"\"V\"=dword:1\n",
                         "[HKCU\\A]\n\"V\"=dword:123\n",
                         "[HKEY_USERS\\A]\n",
                         "[HKCU\\A]\n\"V\"=hex:01,\n",
                         "[HKCU\\A]\n\"V=dword:00000001\n",
                         "[HKCU\\A]\nV=1\n"};
    for (const char *text : bad) {
        EXPECT_FALSE(sim::LoadRegistryText(std::string("; header\n\n") + text, &error)) << text;
        EXPECT_EQ(error.compare(0, 5, "line "), 0) << error;
    }
    EXPECT_EQ(error, "line 4: neither a key, a value nor a comment");
    EXPECT_EQ(sim::RegistryText(), before);
    ASSERT_TRUE(sim::LoadRegistryText("[HKLM\\Only]\r\n@=\"x\"\r\n", &error)) << error;
    EXPECT_FALSE(sim::RegistryKeyExists(HKEY_CURRENT_USER, u"Keep"));
    EXPECT_TRUE(sim::RegistryKeyExists(HKEY_LOCAL_MACHINE, u"Only"));
    sim::Reset();
    EXPECT_FALSE(sim::RegistryKeyExists(HKEY_LOCAL_MACHINE, u"Only"));
}

}  // namespace
