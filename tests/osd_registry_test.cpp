// The shared OSD key, the instance subkey's removal and the Windows PE check.
#include <string>
#include <vector>

#include "osd/osd.h"
#include "support/plugin_fixture.h"

namespace {

const char16_t WINPE[] = u"Software\\Microsoft\\Windows NT\\CurrentVersion\\WinPE";
const char16_t OSD[] = u"Software\\OrtaPlugins\\OSD";

class OsdRegistryTest : public PluginTest {
  protected:
    void TearDown() override {
        EXPECT_EQ(sim::OpenKeyCount(), 0);
        PluginTest::TearDown();
    }
    static void Key(const std::u16string &path) { sim::CreateRegistryKey(HKEY_CURRENT_USER, path); }
    static bool Exists(const std::u16string &path) { return sim::RegistryKeyExists(HKEY_CURRENT_USER, path); }
    static std::u16string InstanceKey(DWORD pid) {
        WCHAR path[REGISTRY_PATH_SIZE];
        FormatOsdInstanceKey(pid, path);
        return path;
    }
};

TEST_F(OsdRegistryTest, WinPeOnlyWithANonEmptyStringVersion) {
    EXPECT_FALSE(IsWinPE());
    sim::SetRegistryString(HKEY_LOCAL_MACHINE, WINPE, u"Version", u"");
    EXPECT_FALSE(IsWinPE());
    sim::SetRegistryValue(HKEY_LOCAL_MACHINE, WINPE, u"Version", REG_SZ, {});  // no bytes, not even a terminator
    EXPECT_FALSE(IsWinPE());
    sim::SetRegistryValue(HKEY_LOCAL_MACHINE, WINPE, u"Version", REG_EXPAND_SZ, {'1', 0, '0', 0, 0, 0});
    EXPECT_FALSE(IsWinPE());
    sim::SetRegistryString(HKEY_LOCAL_MACHINE, WINPE, u"Version", u"10.0");
    EXPECT_TRUE(IsWinPE());
    sim::SetRegistryString(HKEY_LOCAL_MACHINE, WINPE, u"Version", std::u16string(1024, u'9'));  // over 2048 bytes
    EXPECT_FALSE(IsWinPE());
    sim::SetRegistryString(HKEY_LOCAL_MACHINE, WINPE, u"Version", u"10.0");
    sim::DenyRegistryKey(HKEY_LOCAL_MACHINE, WINPE, sim::RegistryDenial::Open);
    EXPECT_FALSE(IsWinPE());
}

TEST_F(OsdRegistryTest, SharedKeyIsCreatedOnceAndKeepsWhatOthersStored) {
    EnsureOsdKey();
    EXPECT_TRUE(Exists(OSD));
    sim::SetRegistryDword(HKEY_CURRENT_USER, OSD, u"Other", 7);
    EnsureOsdKey();
    EXPECT_TRUE(sim::RegistryValue(HKEY_CURRENT_USER, OSD, u"Other", nullptr, nullptr));
    sim::Reset();
    sim::DenyRegistryKey(HKEY_CURRENT_USER, u"Software", sim::RegistryDenial::Write);
    EnsureOsdKey();  // a refusal is not reported
    EXPECT_FALSE(Exists(OSD));
}

TEST_F(OsdRegistryTest, InstanceKeyHasAtLeastFourLowerCaseHexDigits) {
    EXPECT_EQ(InstanceKey(0xA3C), u"Software\\OrtaPlugins\\OSD\\#0a3c Vivanta");
    EXPECT_EQ(InstanceKey(0x1F2E4), u"Software\\OrtaPlugins\\OSD\\#1f2e4 Vivanta");
}

TEST_F(OsdRegistryTest, TreeDeletionRemovesNestedKeysAndNothingBeside) {
    for (const char16_t *path : {u"T\\a\\b\\c", u"T\\a\\d", u"T\\e", u"Tx\\keep"}) Key(path);
    sim::SetRegistryDword(HKEY_CURRENT_USER, u"T\\a\\b", u"v", 1);
    EXPECT_TRUE(DeleteRegistryTree(HKEY_CURRENT_USER, u"T"));
    EXPECT_FALSE(Exists(u"T"));
    EXPECT_TRUE(Exists(u"Tx\\keep"));
    EXPECT_FALSE(DeleteRegistryTree(HKEY_CURRENT_USER, u"T"));  // already gone
}

TEST_F(OsdRegistryTest, TreeDeletionSkipsWhatRefusesAndStillEnds) {
    for (const char16_t *path : {u"T\\a", u"T\\b", u"T\\c\\x", u"T\\c\\y", u"T\\d"}) Key(path);
    sim::DenyRegistryKey(HKEY_CURRENT_USER, u"T\\b", sim::RegistryDenial::Delete);
    sim::DenyRegistryKey(HKEY_CURRENT_USER, u"T\\c\\x", sim::RegistryDenial::Delete);
    EXPECT_FALSE(DeleteRegistryTree(HKEY_CURRENT_USER, u"T"));
    EXPECT_EQ(sim::RegistrySubkeys(HKEY_CURRENT_USER, u"T"), (std::vector<std::u16string>{u"b", u"c"}));
    EXPECT_EQ(sim::RegistrySubkeys(HKEY_CURRENT_USER, u"T\\c"), std::vector<std::u16string>{u"x"});
    // Each resisting key is retried only after a deletion moved the others up.
    EXPECT_LE(sim::CallCount("RegDeleteKeyW"), 12);
}

TEST_F(OsdRegistryTest, TreeDeeperThanThePathBufferEndsWithoutCuttingNames) {
    // "T\" and three 255-character names, then one of 252: the deepest key's
    // path is 1022 characters, and no child of it fits in the 1024 buffer.
    std::u16string deep = u"T";
    for (char16_t c : {u'a', u'b', u'c'}) deep += u"\\" + std::u16string(255, c);
    deep += u"\\" + std::u16string(252, u'd');
    ASSERT_EQ(deep.size(), 1022u);
    Key(deep + u"\\x");
    Key(u"T\\short");
    EXPECT_FALSE(DeleteRegistryTree(HKEY_CURRENT_USER, u"T"));
    EXPECT_TRUE(Exists(deep + u"\\x"));
    EXPECT_FALSE(Exists(u"T\\short"));
}

TEST_F(OsdRegistryTest, CleanupRemovesOnlyThisInstancesSubkey) {
    sim::SetCurrentProcess(0xA3C, 4000);
    Key(std::u16string(OSD) + u"\\#0a3c Vivanta\\Windows\\1");
    Key(std::u16string(OSD) + u"\\#0a3d Vivanta");
    sim::SetRegistryDword(HKEY_CURRENT_USER, OSD, u"Shared", 1);
    CleanupOsdKey();
    EXPECT_EQ(sim::RegistrySubkeys(HKEY_CURRENT_USER, OSD), std::vector<std::u16string>{u"#0a3d Vivanta"});

    std::string before = sim::RegistryText();
    CleanupOsdKey();  // nothing of ours left
    EXPECT_EQ(sim::RegistryText(), before);
}

}  // namespace
