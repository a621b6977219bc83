// Linux-only: the registry as the simulation sets it up and keeps it (denied
// keys, injected failures, its text form, handle counts). How the calls
// answer is a shared case (win32/registry_test.cpp).
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
