// Feeds arbitrary bytes to the text reader as a file, as piped standard
// input and as clipboard text: open, detect, and read every line, in the
// detected encoding and then in each encoding forced on the same bytes.
// Lines are read from an exact-size heap copy of the content, so that
// AddressSanitizer catches any read past its end; every line must fit the
// buffer, and every open must give back all it took.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "base/base.h"
#include "sim.h"
#include "textio/textio.h"

namespace {

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

void ReadAllLines(TextSource *source, DWORD flags) {
    WCHAR buffer[LINE_BUFFER_SIZE];
    // Each line takes at least one unit of content, and the last call ends.
    for (ULONGLONG lines = 0; ReadLine(source, buffer, flags); ++lines) {
        Check(StrLen(buffer) < LINE_BUFFER_SIZE);
        Check(lines <= source->size);
    }
    Check(!ReadLine(source, buffer, flags));
    Check(source->position <= source->size);
}

// In pieces the same lines come, each whole: its first piece is the line
// ReadLine gives, only a full piece goes on, and no piece is empty but a
// whole empty line.
void ReadAllPieces(TextSource *source) {
    const ULONGLONG start = source->position;
    std::vector<std::u16string> lines;
    WCHAR buffer[LINE_BUFFER_SIZE];
    while (ReadLine(source, buffer, 0)) lines.push_back(buffer);
    source->position = start;
    size_t count = 0;
    bool lineStart = true;
    for (LinePiece piece; (piece = ReadLinePiece(source, buffer)) != NO_LINE_LEFT;) {
        size_t length = StrLen(buffer);
        Check(length > 0 || (lineStart && piece == LINE_ENDS));
        Check(piece == LINE_ENDS || length == LINE_BUFFER_SIZE - 1);
        if (lineStart) Check(count < lines.size() && lines[count++] == buffer);
        lineStart = piece == LINE_ENDS;
    }
    Check(count == lines.size() && lineStart);
}

// Reads the open source in its own encoding and then in every other one.
void ReadEveryWay(TextSource *source) {
    Check(source->size > 0 && source->textStart <= source->position && source->position <= source->size);
    const BYTE *mapped = source->data;
    std::vector<BYTE> copy(mapped, mapped + source->size);
    source->data = copy.data();
    const DWORD encodings[] = {source->encoding, Ansi, Utf16Le, Utf16Be, Utf8, Utf32Le, Utf32Be};
    DWORD flags = 0;
    for (DWORD encoding : encodings) {
        source->encoding = static_cast<TextEncoding>(encoding);
        source->position = source->textStart;
        ReadAllLines(source, flags);
        flags ^= 1;
        source->position = source->textStart;
        ReadAllPieces(source);
        source->position = source->textStart;
        for (int i = 0; i < 64 && PeekChar(source) != -1; ++i) Check(ReadChar(source) >= 0);
    }
    source->data = mapped;
}

void OpenAndRead(LPCWSTR name, size_t size) {
    long live = MemLiveCount();
    TextSource source = TextSource();
    LONG result = OpenTextSource(&source, name);
    if (result == 0) {
        ReadEveryWay(&source);
    } else {
        Check(size == 0 || result == -1);
    }
    CloseTextSource(&source);
    Check(source.data == nullptr && source.file == nullptr && source.name == nullptr);
    Check(sim::OpenHandleCount() == 0 && sim::MappedViewCount() == 0);
    Check(MemLiveCount() == live);
}

std::u16string FilePath() {
    static std::u16string path;
    if (path.empty()) {
        std::string name = "/tmp/textio_fuzz_" + std::to_string(getpid()) + ".bin";
        path.assign(name.begin(), name.end());
    }
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string bytes(reinterpret_cast<const char *>(data), size);
    std::u16string path = FilePath();
    std::string linuxPath(path.begin(), path.end());
    FILE *file = fopen(linuxPath.c_str(), "wb");
    if (!file) return 0;
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);

    // The system code page decides both the table and the UTF-8 rule.
    sim::SetAnsiCodePage(size % 3 == 0 ? 65001 : size % 3 == 1 ? 1252 : 866);
    OpenAndRead(path.c_str(), size);
    sim::SetStdInputPipe(bytes);
    OpenAndRead(u"-", size);
    sim::SetClipboardBytes(CF_UNICODETEXT, bytes);
    OpenAndRead(u"clip:", size == 0 ? 0 : 1);  // an empty text is -1, never an error code
    remove(linuxPath.c_str());
    return 0;
}
