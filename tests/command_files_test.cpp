// The command's file and registry options: /F (with /M), /W, /R, /S and
// /S!, their messages and where they stand in the order of the steps.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "command/command.h"
#include "hotkey/hotkey.h"
#include "import/import.h"
#include "support/scheme_file_fixture.h"
#include "textio/textio.h"

namespace {

const char16_t KEY[] = u"Software\\OrtaPlugins\\Vivanta";

class CommandFilesTest : public SchemeFileTest {
  protected:
    void SetUp() override {
        SchemeFileTest::SetUp();
        Start();
    }
    void TearDown() override {
        EXPECT_EQ(sim::OpenKeyCount(), 0);
        SchemeFileTest::TearDown();
    }
    int Run(const std::u16string &arguments) {
        HostCtlClearOutput();
        return vivanta(arguments.c_str());
    }
    // Paths hold "/", which would split an unquoted argument.
    static std::u16string Q(const std::u16string &path) { return u"\"" + path + u"\""; }
    // The start or the end of `text`, as long as `expected`.
    static std::u16string Head(const std::u16string &text, const std::u16string &expected) {
        return text.substr(0, expected.size());
    }
    static std::u16string Tail(const std::u16string &text, const std::u16string &expected) {
        return text.size() < expected.size() ? text : text.substr(text.size() - expected.size());
    }
    // What a message names a file by.
    static std::string Upper(const std::u16string &text) {
        std::string upper = Narrow(text);
        for (char &c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
        return upper;
    }
    static void Save(HKEY root, DWORD hotkey, DWORD osd) {
        sim::SetRegistryDword(root, KEY, u"Hotkey", hotkey);
        sim::SetRegistryDword(root, KEY, u"OSD", osd);
    }
};

TEST_F(CommandFilesTest, ReadingAFileReplacesOrMergesAndSaysHowMany) {
    std::u16string file = MakeFile("two.ini", Section("Night") + Section("ice palace"));
    EXPECT_EQ(Run(u"/F:" + Q(file) + u" /M"), 0);
    std::u16string head = u"Read 2 schemes from file \"" + file + Versioned(u"\".\r\n\r\nVivanta v%VERSION% settings:");
    EXPECT_EQ(Head(Out(), head), head);
    EXPECT_EQ(ListedNames(), u"Marianas Trench,Forest Primeval,Cr\u00e8me Br\u00fbl\u00e9e,Night,ice palace");

    EXPECT_EQ(Run(u"/F=" + Q(MakeFile("one.ini", Section("Only")))), 0);
    EXPECT_EQ(Head(Out(), u"Read 1 scheme from file"), u"Read 1 scheme from file");
    EXPECT_EQ(ListedNames(), u"Only");
    // Quiet and with nothing else to do: nothing at all is printed.
    EXPECT_EQ(Run(u"/Q /F" + Q(file)), 0);
    EXPECT_EQ(Out(), u"");
    EXPECT_EQ(Err(), u"");
}

TEST_F(CommandFilesTest, AFileThatGivesNothingEndsTheCommand) {
    std::u16string lower = Path("missing.ini");
    std::u16string upper = lower;
    for (char16_t &c : upper) c = (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
    Save(HKEY_CURRENT_USER, 0x1003F, 0);
    EXPECT_EQ(Run(u"/F:" + Q(lower) + u" /R /K:F6 /O:N 2 /S"), 2);
    EXPECT_EQ(Err(), u"Vivanta plugin: Couldn\u2019t read color schemes from file \"" + upper + u"\"\r\n");
    EXPECT_EQ(Out(), u"");
    EXPECT_EQ(g_settings.hotkey, static_cast<DWORD>(DEFAULT_HOTKEY));
    EXPECT_TRUE(g_settings.osdEnabled);
    EXPECT_EQ(HostCommandLog(), u"");
    EXPECT_EQ(ListedNames(), u"Marianas Trench,Ice Palace,Forest Primeval,Cr\u00e8me Br\u00fbl\u00e9e");

    EXPECT_EQ(Run(u"/F:" + Q(MakeFile("none.ini", "[x]\r\n")) + u" /Q"), 2);
    EXPECT_NE(Err().find(u"Couldn\u2019t read"), std::u16string::npos);
}

// A folder: its files of the known extensions in name order, each file's
// schemes added whole or not at all, a name an earlier file gave kept, and
// the command carried on but failed when a file could not be read.
class CommandFolderTest : public CommandFilesTest {
  protected:
    void SetUp() override {
        CommandFilesTest::SetUp();
        mkdir((dir_ + "/in").c_str(), 0700);
        MakeFile("in/b.ini", Section("Beta") + Section("Alpha"));
        MakeFile("in/a.yaml", Base16("Alpha"));
        // The second scheme is broken: the first may not stay.
        MakeFile("in/c.json", "[" + Terminal("Gamma", "#101010") + "," + Terminal("Delta", "#1010") + "]");
        MakeFile("in/notes.txt", "not a scheme");
    }
    static std::string Base16(const std::string &name) {
        std::string text = "scheme: \"" + name + "\"\n";
        for (int i = 0; i < 16; ++i) {
            char line[32];
            snprintf(line, sizeof line, "base0%X: \"%02x%02x%02x\"\n", i, i * 16, 0x40, 0x80);
            text += line;
        }
        return text;
    }
    static std::string Terminal(const std::string &name, const std::string &background) {
        std::string text =
            "{\"name\": \"" + name + "\", \"foreground\": \"#eeeeee\", \"background\": \"" + background + "\"";
        for (const char *key :
             {"black", "red", "green", "yellow", "blue", "purple", "cyan", "white", "brightBlack", "brightRed",
              "brightGreen", "brightYellow", "brightBlue", "brightPurple", "brightCyan", "brightWhite"}) {
            text += std::string(", \"") + key + "\": \"#808080\"";
        }
        return text + "}";
    }
};

TEST_F(CommandFolderTest, ReadsWhatItCanInNameOrderAndFailsForTheRest) {
    EXPECT_EQ(Run(u"/F:" + Q(Path("in")) + u" /Q beta"), 2);
    EXPECT_EQ(ListedNames(), u"Alpha,Beta");
    EXPECT_EQ(Narrow(Err()), "Vivanta plugin: Couldn\\u2019t read color schemes from file \"" +
                                 Upper(Path("in\\c.json")) +
                                 "\"\r\n   scheme \"Delta\": \"background\" is not a colour (#rrggbb)\r\n");
    EXPECT_EQ(IdentifyCurrentScheme(), g_schemes->next);

    EXPECT_EQ(Run(u"/F:" + Q(Path("in\\*.ini")) + u" /M"), 0);
    EXPECT_EQ(ListedNames(), u"Beta,Alpha");
    std::u16string head = u"Read 2 schemes from 1 file matching \"" + Path("in\\*.ini") + u"\".\r\n";
    EXPECT_EQ(Head(Out(), head), head);
}

// Whichever allocation fails, no file of another tool's format is read in
// part (a scheme of our own format that finds no memory is dropped, as in
// every read), nothing is left open, and a run that read nothing leaves
// nothing allocated.
TEST_F(CommandFolderTest, AnAllocationFailureLosesWholeFilesOnly) {
    // Gamma alone would be the JSON file read in part.
    MakeFile("in/c.json", "[" + Terminal("Gamma", "#101010") + "," + Terminal("Delta", "#202020") + "]");
    const std::u16string before = ListedNames();
    std::vector<std::u16string> allowed = {before, u"Alpha,Beta", u"Beta,Alpha", u"Alpha", u"Beta"};
    for (size_t i = 1, n = allowed.size(); i < n; ++i) allowed.push_back(allowed[i] + u",Gamma,Delta");
    const int handles = sim::OpenHandleCount();
    for (long nth = 1;; ++nth) {
        long live = MemLiveCount();
        MemFailAllocation(nth);
        int result = Run(u"/Q /F:" + Q(Path("in")));
        bool failed = MemAllocationCount() >= nth;
        MemFailAllocation(0);
        EXPECT_NE(std::find(allowed.begin(), allowed.end(), ListedNames()), allowed.end())
            << nth << ": " << Narrow(ListedNames());
        if (ListedNames() == before) {
            EXPECT_EQ(result, 2) << nth;
        }
        EXPECT_EQ(sim::OpenHandleCount(), handles) << nth;
        if (ListedNames() == before) {
            EXPECT_EQ(MemLiveCount(), live) << nth;
        }
        if (!failed) break;
        // Back to the list the next round starts from.
        FreeSchemeList();
        SeedBuiltInSchemes();
    }
}

// Every format, read through /F and applied: the console shows the file's
// own background and text (values worked out by hand from the files), the
// other slots hold the file's colours except the ones they displaced, and
// no directive writes text in its background's slot.
TEST_F(CommandFilesTest, EveryFormatAppliedShowsItsOwnBackgroundAndText) {
    struct Expected {
        const char *file;
        std::vector<std::pair<DWORD, DWORD>> backgroundAndText;  // 0xRRGGBB, per scheme in file order
    };
    const Expected files[] = {
        {"Harbour Night.itermcolors", {{0x1a202a, 0xd8dce0}}},
        // The dark text is Display P3 (0.86, 0.84, 0.80).
        {"Shoreline.itermcolors", {{0xfaf6ee, 0x2a2e34}, {0x141414, 0xdcd6cb}}},
        {"Shoreline (binary).itermcolors", {{0xfaf6ee, 0x2a2e34}, {0x141414, 0xdcd6cb}}},
        {"terminal-settings.json", {{0x0b1a17, 0xc5d9cf}, {0xffffff, 0x333333}}},
        {"Lagoon.ini", {{0x0c141c, 0xbec3c8}}},
        {"ember.json", {{0x1b1310, 0xc8b8a8}}},
        {"base16-meadow.yaml", {{0xf7f5ec, 0x3b3a33}}},
        {"base16-slate.yaml", {{0x1e2124, 0xc4ccd4}}},
        {"base24-dusk.yaml", {{0x16141f, 0xcfc9e3}}},
        {"gogh-cinder.yml", {{0x24201d, 0xd8d0c4}}},
        {"gogh-themes.json", {{0xf2efe6, 0x2b2b2b}, {0x101010, 0xc0c0c0}}},
    };
    const std::string folder = std::string(VIVANTA_SOURCE_DIR) + "/tests/e2e/import/";
    for (const Expected &expected : files) {
        SCOPED_TRACE(expected.file);
        // The sixteen colours as the file gives them, from its reader.
        std::ifstream stream(folder + expected.file, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
        std::vector<TerminalScheme> read;
        const SchemeSink sink = {[](void *context, const TerminalScheme *scheme, LPCWSTR) {
                                     static_cast<std::vector<TerminalScheme> *>(context)->push_back(*scheme);
                                     return true;
                                 },
                                 &read};
        WCHAR error[IMPORT_ERROR_SIZE];
        ASSERT_EQ(ReadOtherToolSchemes(text.data(), text.size(), u"x", &sink, error), IMPORT_DONE);
        ASSERT_EQ(read.size(), expected.backgroundAndText.size());

        ASSERT_EQ(Run(u"/Q /F:" + Q(Widen16(folder + expected.file))), 0);
        for (size_t n = 0; n < read.size(); ++n) {
            ASSERT_EQ(Run(u"/Q " + Widen16(std::to_string(n + 1))), 0);
            CONSOLE_SCREEN_BUFFER_INFOEX info = sim::ConsoleInfo();
            int back = info.wAttributes >> 4 & 0xF, fore = info.wAttributes & 0xF;
            EXPECT_EQ(info.ColorTable[back], SwapRedAndBlue(expected.backgroundAndText[n].first)) << n;
            EXPECT_EQ(info.ColorTable[fore], SwapRedAndBlue(expected.backgroundAndText[n].second)) << n;
            for (int slot = 0; slot < 16; ++slot) {
                if (slot == back || slot == fore) continue;
                EXPECT_EQ(info.ColorTable[slot], SwapRedAndBlue(read[n].ansi[ConsoleSlotOfAnsi(slot)])) << slot;
            }
            const ColorScheme *applied = SchemeAtPosition(static_cast<DWORD>(n + 1));
            for (int i = 0; i < DIRECTIVE_COUNT; ++i) {
                WORD attribute = SchemeDirective(applied, i);
                EXPECT_NE(attribute & 0xF, attribute >> 4) << Narrow(DIRECTIVE_NAMES[i]);
            }
        }
    }
}

TEST_F(CommandFilesTest, WritingGoesThroughTheWriterAndEndsWithItsResult) {
    EXPECT_EQ(Run(u"/W:" + Q(Path("w.ini")) + u"::Mine /M"), 0);
    EXPECT_EQ(Narrow(Out()), "Wrote current scheme to [Mine] in \"" + dir_ + "/w.ini\".\r\n");
    EXPECT_EQ(Contents("w.ini").substr(0, 9), "\xEF\xBB\xBF[Mine]");
    EXPECT_EQ(Run(u"/Q /W:" + Q(Path("w.ini")) + u"::Other"), 0);
    EXPECT_EQ(Out(), u"");
    EXPECT_EQ(Run(u"/W:" + Q(Path("w.ini")) + u"::a]b"), 1);
    EXPECT_EQ(Err(), u"Vivanta plugin: Bad characters in scheme name: \"a]b\"\r\n");
    EXPECT_EQ(Run(u"/W:::Ice"), 1);
    EXPECT_EQ(Err(), u"Vivanta plugin: Missing filename: \"/W:::ICE\"\r\n");
}

// A file past a size limit (sparse: its tail holds no data) is refused with
// the limit named, and stays as it was: 64 MiB for every scheme file, 16 MiB
// for other tools' files, which a file of our own may pass.
TEST_F(CommandFilesTest, AFileLargerThanTheLimitIsNeitherReadNorRewritten) {
    std::u16string file = MakeFile("large.ini", Section("Night"));
    std::string linux = dir_ + "/large.ini";
    ASSERT_EQ(truncate(linux.c_str(), static_cast<off_t>(TEXT_SOURCE_SIZE_LIMIT + 1)), 0);
    EXPECT_EQ(Run(u"/F:" + Q(file)), 2);
    EXPECT_EQ(Narrow(Err()), "Vivanta plugin: Couldn\\u2019t read color schemes from file \"" + Upper(file) +
                                 "\"\r\n   larger than 64 MiB, the limit for scheme files\r\n");
    EXPECT_EQ(Run(u"/W:" + Q(file) + u"::Night"), 2);
    EXPECT_EQ(Narrow(Err()), "Vivanta plugin: Error opening input file \"" + linux +
                                 "\":\r\n   larger than 64 MiB, the limit for scheme files\r\n");
    EXPECT_EQ(Out(), u"");
    EXPECT_EQ(Entries(), std::vector<std::string>{"large.ini"});
    struct stat info;
    ASSERT_EQ(stat(linux.c_str(), &info), 0);
    EXPECT_EQ(static_cast<ULONGLONG>(info.st_size), TEXT_SOURCE_SIZE_LIMIT + 1);
    char head[8] = {};
    std::ifstream(linux, std::ios::binary).read(head, 7);
    EXPECT_STREQ(head, "[Night]");

    mkdir((dir_ + "/big").c_str(), 0700);
    MakeFile("big/ours.ini", Section("Ours"));
    MakeFile("big/theirs.yaml", "scheme: \"Theirs\"\nbase00: \"000000\"\n");
    ASSERT_EQ(truncate((dir_ + "/big/ours.ini").c_str(), static_cast<off_t>(IMPORT_SIZE_LIMIT + 1)), 0);
    ASSERT_EQ(truncate((dir_ + "/big/theirs.yaml").c_str(), static_cast<off_t>(IMPORT_SIZE_LIMIT + 1)), 0);
    EXPECT_EQ(Run(u"/Q /F:" + Q(Path("big"))), 2);
    EXPECT_EQ(ListedNames(), u"Ours");
    EXPECT_EQ(Narrow(Err()), "Vivanta plugin: Couldn\\u2019t read color schemes from file \"" +
                                 Upper(Path("big\\theirs.yaml")) +
                                 "\"\r\n   no complete color scheme in Vivanta\\u2019s own format, and larger than "
                                 "16 MiB, the limit for other tools\\u2019 scheme files\r\n");
}

// A folder whose path is MAX_PATH or more, as /W reaches it: /F reads the
// file it wrote, alone and in its folder, and names both as they were typed.
TEST_F(CommandFilesTest, AFileWrittenAtTheEndOfALongPathIsReadBack) {
    std::string directory;
    while (dir_.size() + directory.size() < MAX_PATH) {
        directory += (directory.empty() ? "" : "/") + std::string("My Color Schemes ") + std::string(30, 'd');
        ASSERT_EQ(mkdir((dir_ + "/" + directory).c_str(), 0755), 0);
    }
    std::u16string folder = Path(directory), file = Path(directory + "/mine.ini");
    ASSERT_EQ(Run(u"/Q /W:" + Q(file) + u"::Evening"), 0);
    EXPECT_EQ(Run(u"/F:" + Q(file) + u" /M"), 0);
    std::u16string head = u"Read 1 scheme from file \"" + file + u"\".\r\n";
    EXPECT_EQ(Head(Out(), head), head);
    EXPECT_EQ(Run(u"/F:" + Q(folder)), 0);
    head = u"Read 1 scheme from 1 file matching \"" + folder + u"\".\r\n";
    EXPECT_EQ(Head(Out(), head), head);
    EXPECT_EQ(ListedNames(), u"Evening");
    EXPECT_EQ(Err(), u"");
}

TEST_F(CommandFilesTest, RestoringTakesTheUsersSettingsThenTheMachines) {
    // Nothing saved: /D still restores the defaults.
    g_settings.hotkey = 0;
    EXPECT_EQ(Run(u"/R /D /Q"), 0);
    EXPECT_EQ(g_settings.hotkey, static_cast<DWORD>(DEFAULT_HOTKEY));
    EXPECT_EQ(Run(u"/R /D"), 0);
    std::u16string head = u"Settings not found in the registry.\r\nDefault plugin settings restored.\r\n\r\nVivanta";
    EXPECT_EQ(Head(Out(), head), head);

    // The machine's settings when the user's are unusable; saved settings
    // win over /D, the command line over both.
    sim::SetRegistryDword(HKEY_CURRENT_USER, KEY, u"Hotkey", 0x1003F);
    Save(HKEY_LOCAL_MACHINE, 0x10040, 0);
    EXPECT_EQ(Run(u"/D /R"), 0);
    head = u"Settings restored from the registry (HKLM\\Software\\OrtaPlugins\\Vivanta).\r\n\r\nVivanta";
    EXPECT_EQ(Head(Out(), head), head);
    EXPECT_EQ(g_settings.hotkey, 0x10040u);
    EXPECT_FALSE(g_settings.osdEnabled);
    Save(HKEY_CURRENT_USER, 0, 2);
    EXPECT_EQ(Run(u"/R /K:F5 /Q"), 0);
    EXPECT_EQ(Out(), u"");
    EXPECT_EQ(g_settings.hotkey, 0x1003Fu);
    EXPECT_EQ(g_settings.osdEnabled, 2u);
    EXPECT_EQ(Run(u"/R /Q"), 0);
    EXPECT_EQ(g_settings.hotkey, 0u);
}

TEST_F(CommandFilesTest, SavingComesAfterTheDisplay) {
    EXPECT_EQ(Run(u"/K:F5 /S /S!"), 0);
    std::u16string tail =
        u"loaded (2 dark, 2 light).\r\n\r\nSettings saved to the registry (HKLM\\Software\\OrtaPlugins\\Vivanta).\r\n";
    EXPECT_EQ(Tail(Out(), tail), tail);
    EXPECT_FALSE(sim::RegistryKeyExists(HKEY_CURRENT_USER, KEY));
    EXPECT_EQ(Run(u"/D /S /Q"), 0);
    EXPECT_EQ(Out(), u"");
    EXPECT_EQ(ReadSettings(HKEY_CURRENT_USER, IsValidHotkey), 0);
    EXPECT_EQ(g_settings.hotkey, static_cast<DWORD>(DEFAULT_HOTKEY));
    EXPECT_EQ(ReadSettings(HKEY_LOCAL_MACHINE, IsValidHotkey), 0);
    EXPECT_EQ(g_settings.hotkey, 0x1003Fu);

    // A scheme shown instead of the screen stands without the confirmation;
    // a failed scheme argument still saves, and returns 2.
    EXPECT_EQ(Run(u"/V:ice* /S"), 0);
    EXPECT_EQ(Out().find(u"Settings saved"), std::u16string::npos);
    EXPECT_EQ(Run(u"/S nosuch"), 2);
    EXPECT_NE(Out().find(u"Settings saved"), std::u16string::npos);

    sim::DenyRegistryKey(HKEY_CURRENT_USER, KEY, sim::RegistryDenial::Write);
    EXPECT_EQ(Run(u"/S"), 2);
    tail = u"loaded (2 dark, 2 light).\r\n\r\n";  // the CrLf before the message
    EXPECT_EQ(Tail(Out(), tail), tail);
    EXPECT_EQ(Err(),
              u"Vivanta plugin: Error saving settings to the registry "
              u"(HKCU\\Software\\OrtaPlugins\\Vivanta) :\r\n"
              u"Access is denied.\r\n");
}

}  // namespace
