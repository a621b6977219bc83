// Reading scheme files: which sections become schemes, how settings are
// read, replacing and merging the list, and the default file at start-up.
#include <sys/stat.h>
#include <unistd.h>

#include <set>

#include "support/scheme_file_fixture.h"
#include "textio/textio.h"

namespace {

class ReaderTest : public SchemeFileTest {
  protected:
    const ColorScheme *Scheme(const char16_t *name) const { return FindSchemeByName(g_schemes, name); }
};

TEST_F(ReaderTest, OptionalDirectivesFollowTheRequiredOnes) {
    std::u16string file = MakeFile("a.ini", "; comment\r\nStdColors=Red on Black\r\n" + Section("Night") +
                                                Section("Lists", "ListColors=Black on Cyan\r\nColorDir=dirs:12;\r\n"));
    ASSERT_EQ(ReadSchemeFile(file.c_str(), false), 2);
    const ColorScheme *night = Scheme(u"Night");
    ASSERT_NE(night, nullptr);
    EXPECT_EQ(night->StdColors, 0x1F);
    EXPECT_EQ(night->InputColors, 0x16);
    EXPECT_EQ(night->ErrorColors, 0x1C);
    EXPECT_EQ(night->ListColors, 0x1F);
    EXPECT_EQ(night->ListStatBarColors, 0xF1);
    EXPECT_EQ(night->ListInverseColors, 0xF1);
    EXPECT_EQ(night->SelectColors, 0x1F);
    EXPECT_EQ(night->SelectStatBarColors, 0xF1);
    EXPECT_EQ(night->SelectedColors, 0xF1);
    EXPECT_EQ(night->dark, 1u);
    EXPECT_EQ(std::u16string(night->ColorDir), u"");
    EXPECT_EQ(night->palette[1], 0x800000u);  // #000080 as COLORREF
    EXPECT_EQ(night->palette[15], 0x0F0000u);

    // The list's defaults follow ListColors; the selection's, StdColors.
    const ColorScheme *lists = Scheme(u"Lists");
    ASSERT_NE(lists, nullptr);
    EXPECT_EQ(lists->ListColors, 0x30);
    EXPECT_EQ(lists->ListStatBarColors, 0x03);
    EXPECT_EQ(lists->SelectStatBarColors, 0xF1);
    EXPECT_EQ(std::u16string(lists->ColorDir), u"dirs:12;");
}

TEST_F(ReaderTest, IncompleteSwitchedOffAndRepeatedSectionsAreSkipped) {
    std::string noColor7 = Section("Night");
    noColor7.replace(noColor7.find("Color 7=#000007\r\n"), 17, "");
    std::string whiteOnWhite = Section("Day", "InputColors=White on White\r\n");
    whiteOnWhite.replace(whiteOnWhite.find("InputColors=Yellow on Blue\r\n"), 28, "");
    std::u16string file = MakeFile("a.ini", noColor7 + whiteOnWhite + Section("!Off") + Section("") +
                                                Section(" Night ") + Section("NIGHT", "ColorDir=second\r\n") +
                                                Section("Day") + Section("  ") + Section("Dawn", "[tail] section\r\n"));
    // The first Night was incomplete and does not block the second.
    EXPECT_EQ(ReadSchemeFile(file.c_str(), false), 3);
    EXPECT_EQ(ListedNames(), u"Night,Day,Dawn");
    EXPECT_EQ(std::u16string(Scheme(u"night")->ColorDir), u"");
}

TEST_F(ReaderTest, SettingLinesAndTheirKeys) {
    std::string text = Section("Keys",
                               "Color 3 = #abc\r\n"
                               "color0x0A=Red\r\n"
                               "Colors5=#ffffff\r\nColor16=#ffffff\r\nColor-1=#ffffff\r\n"
                               "Color 4=NoSuchColour\r\n"
                               "ColorDir=old\r\nCOLORDIR  =\r\n"
                               "ListColors\r\n= Black on Red\r\nselectcolors = bright green on black ; x\r\n"
                               "ErrorColors=Blue on Blue\r\n");
    ASSERT_EQ(ReadSchemeFile(MakeFile("a.ini", text).c_str(), false), 1);
    const ColorScheme *scheme = g_schemes;
    EXPECT_EQ(scheme->palette[3], 0xCCBBAAu);
    EXPECT_EQ(scheme->palette[10], 0x0000FFu);
    EXPECT_EQ(scheme->palette[4], 0x040000u);
    EXPECT_EQ(scheme->palette[5], 0x050000u);
    EXPECT_EQ(std::u16string(scheme->ColorDir), u"");
    EXPECT_EQ(scheme->ListColors, 0x1F);    // the bare key changed nothing
    EXPECT_EQ(scheme->SelectColors, 0x0A);  // the host reads up to the comment
    EXPECT_EQ(scheme->ErrorColors, 0x1C);   // equal colours change nothing

    // An entry whose only value is no colour leaves the scheme incomplete.
    std::string unset = Section("Unset");
    unset.replace(unset.find("Color 3=#000003"), 15, "Color3=NoSuchColour");
    EXPECT_EQ(ReadSchemeFile(MakeFile("b.ini", unset).c_str(), false), 0);
}

TEST_F(ReaderTest, LongNamesAreCutAndRepeatCutNamesCount) {
    std::string name(45, 'n');
    std::u16string file = MakeFile("a.ini", Section(name) + Section(name.substr(0, 39) + "xyz") + Section("short"));
    EXPECT_EQ(ReadSchemeFile(file.c_str(), false), 2);
    EXPECT_EQ(ListedNames(), Widen16(name.substr(0, 39)) + u",short");

    // A UTF-16 file passes surrogate pairs through; one across the cut goes
    // whole, so the name it leaves, and repeats, is the 38 characters before it.
    std::u16string cut = Widen16(name.substr(0, 38));
    std::u16string text = u"\uFEFF";
    for (const std::u16string &spelling : {cut + u"\U0001F308a", cut + u"\U0001F308b", cut}) {
        text += Widen16(Section("x")).replace(1, 1, spelling);
    }
    std::string bytes;
    for (char16_t c : text) bytes += {static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
    EXPECT_EQ(ReadSchemeFile(MakeFile("pair.ini", bytes).c_str(), false), 1);
    EXPECT_EQ(ListedNames(), cut);
}

TEST_F(ReaderTest, LightFromLuminance501AndDarkFrom498) {
    std::u16string file = MakeFile(
        "a.ini", Section("Light", "", "Black on Blue", "#808080") + Section("Dark", "", "Black on Blue", "#7f7f7f"));
    ASSERT_EQ(ReadSchemeFile(file.c_str(), false), 2);
    EXPECT_EQ(Scheme(u"Light")->dark, 0u);
    EXPECT_EQ(Scheme(u"Dark")->dark, 1u);
}

TEST_F(ReaderTest, ReplacingAndMerging) {
    AddTestScheme(u"Alpha", 0x1F, 0x1E, 0x1C);
    AddTestScheme(u"Night", 0x1F, 0x1E, 0x1C);
    AddTestScheme(u"Omega", 0x1F, 0x1E, 0x1C);
    const ColorScheme *alpha = g_schemes;
    std::u16string file = MakeFile("a.ini", Section("NIGHT") + Section("Dawn"));
    // A merged file's scheme goes to the end, in the file's order.
    EXPECT_EQ(ReadSchemeFile(file.c_str(), true), 2);
    EXPECT_EQ(ListedNames(), u"Alpha,Omega,NIGHT,Dawn");
    EXPECT_EQ(g_schemes, alpha);
    EXPECT_EQ(Scheme(u"night")->palette[15], 0x0F0000u);

    // Nothing acceptable, nothing to open, no name: the list stays.
    EXPECT_EQ(ReadSchemeFile(MakeFile("empty.ini", "[Only]\r\nStdColors=Red on Black\r\n").c_str(), false), 0);
    EXPECT_EQ(ReadSchemeFile(Path("missing.ini").c_str(), false), 0);
    EXPECT_EQ(ReadSchemeFile(MakeFile("zero.ini", "").c_str(), true), 0);
    EXPECT_EQ(ReadSchemeFile(u"", false), -1);
    EXPECT_EQ(ReadSchemeFile(nullptr, false), -1);
    EXPECT_EQ(ListedNames(), u"Alpha,Omega,NIGHT,Dawn");

    EXPECT_EQ(ReadSchemeFile(file.c_str(), false), 2);
    EXPECT_EQ(ListedNames(), u"NIGHT,Dawn");
    EXPECT_EQ(sim::OpenHandleCount(), 0);
    EXPECT_EQ(sim::MappedViewCount(), 0);
}

TEST_F(ReaderTest, AnyEncodingTheTextReaderTakes) {
    std::u16string text = u"\uFEFF" + Widen16(Section("x")).replace(1, 1, u"Cr\u00e8me Br\u00fbl\u00e9e");
    std::string bytes;
    for (char16_t c : text) bytes += {static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
    ASSERT_EQ(ReadSchemeFile(MakeFile("be.ini", bytes).c_str(), false), 1);
    EXPECT_EQ(ListedNames(), u"Cr\u00e8me Br\u00fbl\u00e9e");
}

// Every allocation a read makes may fail: a scheme is then dropped, or the
// name index gives way to walking the list, but nothing leaks and the list
// keeps unique names. Without its index the read gives the same list.
TEST_F(ReaderTest, AllocationFailuresDropSchemesButNeverBreakTheList) {
    std::string text;
    for (int i = 0; i < 70; ++i) text += Section("S" + std::to_string(i % 40), i < 40 ? "" : "ColorDir=later\r\n");
    std::u16string file = MakeFile("a.ini", text);
    std::u16string expected = u"Kept";
    for (int i = 0; i < 40; ++i) expected += u",S" + Widen16(std::to_string(i));
    long live = MemLiveCount();
    MemFailAllocation(0);
    TextSource source = TextSource();
    ASSERT_EQ(OpenTextSource(&source, file.c_str()), 0);
    CloseTextSource(&source);
    long opening = MemAllocationCount();
    MemFailAllocation(0);
    ASSERT_EQ(ReadSchemeFile(file.c_str(), true), 40);
    long allocations = MemAllocationCount();
    FreeSchemeList();
    for (long n = 1; n <= allocations; ++n) {
        AddTestScheme(u"S3", 0x1F, 0x1E, 0x1C);
        AddTestScheme(u"Kept", 0x1F, 0x1E, 0x1C);
        MemFailAllocation(n);
        int count = ReadSchemeFile(file.c_str(), true);
        MemFailAllocation(0);
        std::set<std::u16string> seen;
        int listed = 0;
        for (const ColorScheme *s = g_schemes; s; s = s->next, ++listed) {
            EXPECT_TRUE(seen.insert(s->name).second) << "n=" << n << " " << Narrow(s->name);
        }
        if (n <= opening) {
            EXPECT_EQ(ListedNames(), u"S3,Kept") << "n=" << n;
        } else {
            EXPECT_TRUE(count == 39 || count == 40) << "n=" << n;
            EXPECT_EQ(listed, count + 1) << "n=" << n;  // the file always replaces S3
        }
        // The allocation after the first scheme's is the name index's.
        if (n == opening + 2) {
            EXPECT_EQ(ListedNames(), expected);
            EXPECT_EQ(std::u16string(FindSchemeByName(g_schemes, u"S0")->ColorDir), u"");
        }
        FreeSchemeList();
        EXPECT_EQ(MemLiveCount(), live) << "n=" << n;
    }
}

TEST_F(ReaderTest, LineFunctions) {
    WCHAR text[64] = u"\u3000 \t a b \u00a0\r";
    EXPECT_EQ(TrimBlanks(text), 3u);
    EXPECT_EQ(std::u16string(text), u"a b");
    WCHAR blank[8] = u" \t ";
    EXPECT_EQ(TrimBlanks(blank), 0u);
    WCHAR trailing[8] = u" x \t";
    EXPECT_EQ(TrimTrailingBlanks(trailing), 2u);
    EXPECT_EQ(std::u16string(trailing), u" x");

    WCHAR key[SETTING_TEXT_SIZE], value[SETTING_TEXT_SIZE];
    EXPECT_EQ(SplitKeyValue(u"  Color 1 =  a = b ", key, value), 1);
    EXPECT_EQ(std::u16string(key), u"Color 1");
    EXPECT_EQ(std::u16string(value), u"a = b");
    EXPECT_EQ(SplitKeyValue(u"ColorDir=", key, value), 1);
    EXPECT_EQ(std::u16string(value), u"");
    for (const char16_t *bad : {u"no equals", u" = value", u""}) {
        EXPECT_EQ(SplitKeyValue(bad, key, value), 0) << Narrow(bad);
        EXPECT_EQ(key[0], 0);
        EXPECT_EQ(value[0], 0);
    }
    std::u16string longest(1023, u'k');
    EXPECT_EQ(SplitKeyValue((longest + u"=" + longest).c_str(), key, value), 1);
    EXPECT_EQ(SplitKeyValue((longest + u"k=v").c_str(), key, value), 0);
    EXPECT_EQ(SplitKeyValue((u"k=" + longest + u"v").c_str(), key, value), 0);
}

// Vivanta.ini beside the plugin wins over the one beside the host's
// command processor; start-up seeds the built-in schemes after reading.
TEST_F(ReaderTest, TheDefaultFileComesFromThePluginsDirectoryFirst) {
    ASSERT_EQ(mkdir((dir_ + "/plugin").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((dir_ + "/host").c_str(), 0755), 0);
    MakeFile("host/Vivanta.ini", Section("Host"));
    HostCtlSetVariable(u"_cmdspec", Path("host\\tcc.exe").c_str());
    sim::SetModuleFileName(g_plugin.module, Path("plugin\\Vivanta.dll"));
    StartPlugin();
    EXPECT_EQ(ListedNames(), u"Host,Ice Palace,Forest Primeval,Cr\u00e8me Br\u00fbl\u00e9e");
    ShutdownPlugin();
    started_ = false;

    MakeFile("plugin/Vivanta.ini", Section("Plugin"));
    EXPECT_EQ(LoadDefaultSchemeFile(), 1);
    EXPECT_EQ(ListedNames(), u"Plugin");

    // A module name without a directory, and no host directory at all,
    // read nothing from the current directory.
    MakeFile("Vivanta.ini", Section("Current"));
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(chdir(dir_.c_str()), 0);
    sim::SetModuleFileName(g_plugin.module, u"Vivanta.dll");
    HostCtlSetVariable(u"_cmdspec", u"");
    EXPECT_EQ(LoadDefaultSchemeFile(), 0);
    EXPECT_EQ(chdir(cwd), 0);
    FreeSchemeList();
}

}  // namespace
