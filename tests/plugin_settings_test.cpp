// Saved settings: taken over together or not at all, and written value by
// value with the last failed write's error reported.
#include <string>
#include <vector>

#include "hotkey/hotkey.h"
#include "support/plugin_fixture.h"

namespace {

const char16_t KEY[] = u"Software\\OrtaPlugins\\Vivanta";

class SettingsTest : public PluginTest {
  protected:
    void TearDown() override {
        EXPECT_EQ(sim::OpenKeyCount(), 0);
        PluginTest::TearDown();
    }
    static void Store(HKEY root, const char16_t *name, DWORD type, const std::vector<BYTE> &bytes) {
        sim::SetRegistryValue(root, KEY, name, type, bytes);
    }
    static DWORD Stored(const char16_t *name) {
        DWORD type = 0;
        std::vector<BYTE> bytes;
        if (!sim::RegistryValue(HKEY_CURRENT_USER, KEY, name, &type, &bytes)) return 0xDEADu;
        EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
        EXPECT_EQ(bytes.size(), 4u);
        return bytes.size() == 4 ? static_cast<DWORD>(bytes[0] | bytes[1] << 8 | bytes[2] << 16 | bytes[3] << 24) : 0;
    }
};

TEST_F(SettingsTest, ReadTakesBothValuesOverIncludingNoHotkeyAndAnyOsdValue) {
    sim::SetRegistryDword(HKEY_CURRENT_USER, KEY, u"Hotkey", 0);
    sim::SetRegistryDword(HKEY_CURRENT_USER, KEY, u"OSD", 0);
    g_settings.followTheme = true;
    EXPECT_EQ(ReadSettings(HKEY_CURRENT_USER, IsValidHotkey), 0);
    EXPECT_EQ(g_settings.hotkey, 0u);
    EXPECT_EQ(g_settings.osdEnabled, 0u);
    EXPECT_FALSE(g_settings.followTheme);  // saved before the theme could be followed

    sim::SetRegistryDword(HKEY_LOCAL_MACHINE, KEY, u"Hotkey", 0x30054);
    sim::SetRegistryDword(HKEY_LOCAL_MACHINE, KEY, u"OSD", 2);
    EXPECT_EQ(ReadSettings(HKEY_LOCAL_MACHINE, IsValidHotkey), 0);
    EXPECT_EQ(g_settings.hotkey, 0x30054u);
    EXPECT_EQ(g_settings.osdEnabled, 2u);
}

TEST_F(SettingsTest, AnyProblemLeavesBothSettingsAsTheyWere) {
    const std::vector<BYTE> zero = {0, 0, 0, 0};
    const std::vector<BYTE> altZ = {0x2C, 0, 1, 0};
    struct Case {
        const char *what;
        std::vector<std::pair<const char16_t *, std::pair<DWORD, std::vector<BYTE>>>> values;
        int problems;
    };
    const Case cases[] = {
        {"no key", {}, 1},
        {"only Hotkey", {{u"Hotkey", {REG_DWORD, zero}}}, 1},
        {"only OSD: the missing hotkey counts twice", {{u"OSD", {REG_DWORD, zero}}}, 2},
        {"Hotkey as REG_SZ", {{u"Hotkey", {REG_SZ, {'6', 0, '5', 0, 0, 0}}}, {u"OSD", {REG_DWORD, zero}}}, 2},
        {"Hotkey as REG_QWORD",
         {{u"Hotkey", {REG_QWORD, {0x2C, 0, 1, 0, 0, 0, 0, 0}}}, {u"OSD", {REG_DWORD, zero}}},
         2},
        {"a REG_DWORD of two bytes", {{u"Hotkey", {REG_DWORD, altZ}}, {u"OSD", {REG_DWORD, {0, 0}}}}, 1},
        {"FollowTheme as REG_SZ",
         {{u"Hotkey", {REG_DWORD, zero}}, {u"OSD", {REG_DWORD, zero}}, {u"FollowTheme", {REG_SZ, {'1', 0, 0, 0}}}},
         1},
        {"a code of the extended table", {{u"Hotkey", {REG_DWORD, {0x5E, 0, 7, 0}}}, {u"OSD", {REG_DWORD, zero}}}, 1},
    };
    UseHost(u"23");
    for (const Case &c : cases) {
        sim::Reset();
        for (const auto &value : c.values) {
            Store(HKEY_CURRENT_USER, value.first, value.second.first, value.second.second);
        }
        EXPECT_EQ(ReadSettings(HKEY_CURRENT_USER, IsValidHotkey), c.problems) << c.what;
        EXPECT_EQ(g_settings.hotkey, static_cast<DWORD>(DEFAULT_HOTKEY)) << c.what;
        EXPECT_EQ(g_settings.osdEnabled, 1u) << c.what;
    }
    // The same extended code is a key of the table a version 24 host uses.
    UseHost(u"24");
    EXPECT_EQ(ReadSettings(HKEY_CURRENT_USER, IsValidHotkey), 0);
    EXPECT_EQ(g_settings.hotkey, 0x7005Eu);

    sim::DenyRegistryKey(HKEY_CURRENT_USER, KEY, sim::RegistryDenial::Open);
    EXPECT_EQ(ReadSettings(HKEY_CURRENT_USER, IsValidHotkey), 1);
}

TEST_F(SettingsTest, StartingThePluginReadsNothing) {
    sim::SetRegistryDword(HKEY_CURRENT_USER, KEY, u"Hotkey", 0);
    sim::SetRegistryDword(HKEY_CURRENT_USER, KEY, u"OSD", 0);
    StartPlugin();
    EXPECT_EQ(g_settings.hotkey, static_cast<DWORD>(DEFAULT_HOTKEY));
    EXPECT_EQ(g_settings.osdEnabled, 1u);
}

TEST_F(SettingsTest, WriteCreatesTheKeyAndStoresThreeDwords) {
    g_settings.hotkey = 0x30054;
    g_settings.osdEnabled = 2;
    g_settings.followTheme = true;
    EXPECT_EQ(WriteSettings(HKEY_CURRENT_USER), ERROR_SUCCESS);
    EXPECT_EQ(Stored(u"Hotkey"), 0x30054u);
    EXPECT_EQ(Stored(u"OSD"), 2u);
    EXPECT_EQ(Stored(u"FollowTheme"), 1u);
    ResetPlugin();
    EXPECT_EQ(ReadSettings(HKEY_CURRENT_USER, IsValidHotkey), 0);
    EXPECT_EQ(g_settings.hotkey, 0x30054u);
    EXPECT_TRUE(g_settings.followTheme);
}

// A user who never follows the theme keeps the key as a Vivanta without
// it wrote it; once a value is there, switching off must reach it.
TEST_F(SettingsTest, FollowThemeIsWrittenOnlyOnceSwitchedOnOrSavedBefore) {
    EXPECT_EQ(WriteSettings(HKEY_CURRENT_USER), ERROR_SUCCESS);
    EXPECT_EQ(Stored(u"Hotkey"), static_cast<DWORD>(DEFAULT_HOTKEY));
    EXPECT_EQ(Stored(u"FollowTheme"), 0xDEADu);

    g_settings.followTheme = true;
    EXPECT_EQ(WriteSettings(HKEY_CURRENT_USER), ERROR_SUCCESS);
    EXPECT_EQ(Stored(u"FollowTheme"), 1u);
    g_settings.followTheme = false;
    EXPECT_EQ(WriteSettings(HKEY_CURRENT_USER), ERROR_SUCCESS);
    EXPECT_EQ(Stored(u"FollowTheme"), 0u);

    // Whether a value is there cannot be told: 0 is written, so that a
    // switch saved on never outlives a save with it off.
    sim::Reset();
    sim::FailCall("RegQueryValueExW", ERROR_ACCESS_DENIED);
    EXPECT_EQ(WriteSettings(HKEY_CURRENT_USER), ERROR_SUCCESS);
    EXPECT_EQ(Stored(u"FollowTheme"), 0u);
}

TEST_F(SettingsTest, WriteErrorsAreReturnedWithTheLastFailedWriteFirst) {
    // The key cannot be created: nothing is written.
    sim::DenyRegistryKey(HKEY_CURRENT_USER, u"Software\\OrtaPlugins", sim::RegistryDenial::Write);
    EXPECT_EQ(WriteSettings(HKEY_CURRENT_USER), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(sim::RegistryKeyExists(HKEY_CURRENT_USER, KEY));
    sim::DenyRegistryKey(HKEY_CURRENT_USER, u"Software\\OrtaPlugins", sim::RegistryDenial::None);

    // The "Hotkey" write fails: "OSD" is still written, and the error returned.
    sim::FailCall("RegSetValueExW", ERROR_CANTWRITE);
    EXPECT_EQ(WriteSettings(HKEY_CURRENT_USER), ERROR_CANTWRITE);
    EXPECT_EQ(Stored(u"Hotkey"), 0xDEADu);
    EXPECT_EQ(Stored(u"OSD"), 1u);

    // Both fail: the "OSD" error wins.
    sim::FailCall("RegSetValueExW", ERROR_CANTWRITE);
    sim::FailCall("RegSetValueExW", ERROR_NOT_ENOUGH_MEMORY, 2);
    EXPECT_EQ(WriteSettings(HKEY_CURRENT_USER), ERROR_NOT_ENOUGH_MEMORY);

    // Only "OSD" fails: "Hotkey" is written, the write still fails.
    sim::FailCall("RegSetValueExW", ERROR_NOT_ENOUGH_MEMORY, 2);
    EXPECT_EQ(WriteSettings(HKEY_CURRENT_USER), ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(Stored(u"Hotkey"), static_cast<DWORD>(DEFAULT_HOTKEY));

    // Following the theme is written last, and its error wins over both.
    g_settings.followTheme = TRUE;
    sim::FailCall("RegSetValueExW", ERROR_NOT_ENOUGH_MEMORY, 2);
    sim::FailCall("RegSetValueExW", ERROR_CANTWRITE, 3);
    EXPECT_EQ(WriteSettings(HKEY_CURRENT_USER), ERROR_CANTWRITE);
}

}  // namespace
