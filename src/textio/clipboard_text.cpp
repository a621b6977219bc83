// The clipboard as a text source: its Unicode text, copied so that the
// clipboard is held only while the copy is made.
#include "../base/alloc.h"
#include "source_steps.h"

namespace {

// Units of text before the terminator, never looking past the block:
// another program may have left text without one.
size_t MeasureText(const WCHAR *text, SIZE_T blockBytes) {
    size_t limit = blockBytes / sizeof(WCHAR);
    size_t length = 0;
    while (length < limit && text[length] != 0) ++length;
    return length;
}

LONG CopyLockedText(TextSource *source, const WCHAR *text, SIZE_T blockBytes) {
    size_t length = MeasureText(text, blockBytes);
    if (length == 0) return TEXT_SOURCE_BAD_ARGUMENT;
    WCHAR *copy = static_cast<WCHAR *>(MemAlloc((length + 1) * sizeof(WCHAR)));
    if (!copy) return TEXT_SOURCE_BAD_ARGUMENT;
    for (size_t i = 0; i < length; ++i) copy[i] = text[i];
    copy[length] = 0;
    source->data = reinterpret_cast<const BYTE *>(copy);
    source->size = static_cast<ULONGLONG>(length) * sizeof(WCHAR);
    source->encoding = Utf16Le;
    source->textStart = 0;
    source->position = 0;
    return 0;
}

}  // namespace

LONG ReadClipboardText(TextSource *source) {
    if (!OpenClipboard(GetConsoleWindow())) return TEXT_SOURCE_BAD_ARGUMENT;
    LONG result = TEXT_SOURCE_BAD_ARGUMENT;
    HANDLE block = GetClipboardData(CF_UNICODETEXT);
    if (block) {
        const WCHAR *text = static_cast<const WCHAR *>(GlobalLock(block));
        if (text) {
            result = CopyLockedText(source, text, GlobalSize(block));
            GlobalUnlock(block);
        }
    }
    CloseClipboard();
    return result;
}
