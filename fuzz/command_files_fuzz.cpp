// Carries out the VIVANTA command with /F and /W on a scheme file of
// arbitrary bytes. The input's first line is the argument text (UTF-8), in
// which %F stands for /F:"file" and %W for /W:"file", the file being the one
// in this process's scratch directory (removed at exit); the rest of the input is the file's
// content. Every run starts from a freshly started plugin and must end with
// a result the command defines, give back every handle, mapping and
// allocation it took, and leave no temporary file behind. Afterwards the
// colours in effect are written into whatever the command left in the file,
// and reading that file again must find and apply them unchanged, and every
// other scheme it gave as it was.
#include <dirent.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "base/base.h"
#include "entry/entry.h"
#include "host_control.h"
#include "schemes/schemes.h"
#include "sim.h"
#include "textio/textio.h"

namespace {

constexpr char FILE_NAME[] = "f.ini";
constexpr char16_t CHECK_SCHEME[] = u"FuzzCheck";

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

void RemoveScratch();

// Linux spelling, for this target's own file work.
const std::string &ScratchDirectory() {
    static std::string dir;
    if (dir.empty()) {
        dir = "/tmp/command_files_fuzz_" + std::to_string(getpid());
        mkdir(dir.c_str(), 0700);
        atexit(RemoveScratch);
    }
    return dir;
}

// Windows spelling, as the command is given it.
std::u16string WindowsPath(const std::string &name) {
    std::string path = ScratchDirectory() + "\\" + name;
    return std::u16string(path.begin(), path.end());
}

std::vector<std::string> ScratchEntries() {
    std::vector<std::string> names;
    if (DIR *d = opendir(ScratchDirectory().c_str())) {
        while (dirent *e = readdir(d)) {
            std::string name = e->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        closedir(d);
    }
    return names;
}

void EmptyScratch() {
    for (const std::string &name : ScratchEntries()) remove((ScratchDirectory() + "/" + name).c_str());
}

void RemoveScratch() {
    EmptyScratch();
    rmdir(ScratchDirectory().c_str());
}

// The argument text may name no file but the scratch file. Arguments are
// made of its characters with the double quotes taken out, so that text
// must hold no back slash, no "..", and /F and /W only through their
// placeholders.
bool ArgumentsStayInScratch(const std::u16string &text) {
    std::u16string bare;
    for (char16_t c : text) {
        if (c != u'"') bare += c;
    }
    for (size_t i = 0; i < bare.size(); ++i) {
        char16_t c = bare[i];
        char16_t next = i + 1 < bare.size() ? bare[i + 1] : u'\0';
        if (c == u'\\') return false;
        if (c == u'.' && next == u'.') return false;
        if (c == u'/' && (next == u'F' || next == u'f' || next == u'W' || next == u'w')) return false;
    }
    return true;
}

std::u16string Expand(const std::u16string &text) {
    std::u16string quoted = u"\"" + WindowsPath(FILE_NAME) + u"\"";
    std::u16string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'%' && i + 1 < text.size() && (text[i + 1] == u'F' || text[i + 1] == u'W')) {
            out += text[i + 1] == u'F' ? u"/F:" : u"/W:";
            out += quoted;
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::u16string FromUtf8(const uint8_t *bytes, size_t size) {
    if (size == 0) return std::u16string();
    int length =
        MultiByteToWideChar(CP_UTF8, 0, reinterpret_cast<const char *>(bytes), static_cast<int>(size), nullptr, 0);
    std::u16string text(length > 0 ? static_cast<size_t>(length) : 0, u'\0');
    if (length > 0) {
        MultiByteToWideChar(CP_UTF8, 0, reinterpret_cast<const char *>(bytes), static_cast<int>(size), &text[0],
                            length);
    }
    // The command sees the text up to its first terminator.
    return text.substr(0, text.find(u'\0'));
}

void StartPlugin() {
    sim::Reset();
    HostCtlReset();
    HostCtlCapture(1);  // messages pile up in memory, not on the terminal
    ResetPlugin();
    AttachPlugin(sim::FakeModule(WindowsPath("Vivanta.so")), DLL_PROCESS_ATTACH);
    Check(InitializePlugin() == 0);
}

int Run(const std::u16string &arguments) {
    HostCtlClearOutput();
    int result = vivanta(arguments.c_str());
    Check(result == 0 || result == 1 || result == 2);
    return result;
}

void CheckNoTemporaryFile() {
    for (const std::string &name : ScratchEntries()) Check(name.compare(0, 3, "VT_") != 0);
}

// Every scheme the reader gives from the file but the check's own (or one
// whose name folds to it), as one text each: name, directives, palette and
// ColorDir. False when the file's text holds a surrogate, which a rewrite
// cannot carry through UTF-8 unchanged.
bool OtherSchemes(std::vector<std::u16string> *schemes) {
    schemes->clear();
    TextSource source = TextSource();
    if (OpenTextSource(&source, WindowsPath(FILE_NAME).c_str()) != 0) return true;
    bool comparable = true;
    WCHAR buffer[LINE_BUFFER_SIZE];
    for (LinePiece piece; (piece = ReadLinePiece(&source, buffer)) != NO_LINE_LEFT;) {
        for (const WCHAR *c = buffer; *c != 0; ++c) comparable = comparable && (*c < 0xD800 || *c > 0xDFFF);
    }
    source.position = source.textStart;
    SchemeBatch batch;
    InitSchemeBatch(&batch);
    ReadSchemeSource(&source, &batch);
    CloseTextSource(&source);
    WCHAR folded[FOLDED_NAME_SIZE];
    for (const ColorScheme *scheme = batch.head; scheme; scheme = scheme->next) {
        if (FoldSchemeName(scheme->name, folded) >= 0 && StrCompareI(folded, CHECK_SCHEME) == 0) continue;
        std::u16string text = scheme->name;
        for (int i = 0; i < DIRECTIVE_COUNT; ++i) text += static_cast<char16_t>(SchemeDirective(scheme, i));
        for (DWORD entry : scheme->palette)
            text += std::u16string{static_cast<char16_t>(entry), static_cast<char16_t>(entry >> 16)};
        schemes->push_back(text + u"|" + scheme->ColorDir);
    }
    FreeSchemeBatch(&batch);
    return comparable;
}

// Where the list holds the section the check wrote: the scheme of its
// name, or where the file had none, the first whose name folds to it; 0
// when there is neither.
int PlaceOfCheckScheme() {
    int place = 1, folded = 0;
    WCHAR text[FOLDED_NAME_SIZE];
    for (const ColorScheme *scheme = g_schemes; scheme; scheme = scheme->next, ++place) {
        if (StrCompareI(scheme->name, CHECK_SCHEME) == 0) return place;
        if (folded == 0 && FoldSchemeName(scheme->name, text) >= 0 && StrCompareI(text, CHECK_SCHEME) == 0) {
            folded = place;
        }
    }
    return folded;
}

// What the writer captures of the palette, to compare after reading back.
void ColorTable(COLORREF table[16]) {
    CONSOLE_SCREEN_BUFFER_INFOEX info = sim::ConsoleInfo();
    memcpy(table, info.ColorTable, sizeof info.ColorTable);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const uint8_t *newline = static_cast<const uint8_t *>(memchr(data, '\n', size));
    size_t lineSize = newline ? static_cast<size_t>(newline - data) : size;
    std::u16string line = FromUtf8(data, lineSize);
    if (!ArgumentsStayInScratch(line)) return 0;

    EmptyScratch();
    std::string path = ScratchDirectory() + "/" + FILE_NAME;
    FILE *file = fopen(path.c_str(), "wb");
    if (!file) return 0;
    if (newline) fwrite(newline + 1, 1, size - lineSize - 1, file);
    fclose(file);

    long live = MemLiveCount();
    StartPlugin();
    int handles = sim::OpenHandleCount();
    Run(Expand(line));
    Check(sim::OpenHandleCount() == handles && sim::MappedViewCount() == 0);
    CheckNoTemporaryFile();

    // Whatever the command left in the file, the colours in effect go in and
    // come back out. A command that removed the file leaves a new one made.
    // Every other scheme of the file comes through the rewrite unchanged.
    COLORREF written[16];
    ColorTable(written);
    std::vector<std::u16string> before, after;
    bool comparable = OtherSchemes(&before);
    std::u16string target = u"\"" + WindowsPath(FILE_NAME) + u"\"";
    if (Run(u"/Q /W:" + target + u"::" + CHECK_SCHEME) == 0) {
        CheckNoTemporaryFile();
        OtherSchemes(&after);
        Check(!comparable || before == after);
        // Chosen by its place: a name pattern would take a scheme whose
        // name folds to it that the file holds before it.
        Check(Run(u"/Q /F:" + target) == 0);
        std::string number = std::to_string(PlaceOfCheckScheme());
        Check(Run(u"/Q " + std::u16string(number.begin(), number.end())) == 0);
        COLORREF read[16];
        ColorTable(read);
        Check(memcmp(written, read, sizeof read) == 0);
    }
    Check(sim::OpenHandleCount() == handles && sim::MappedViewCount() == 0);
    CheckNoTemporaryFile();

    ShutdownPlugin();
    Check(MemLiveCount() == live);
    return 0;
}
