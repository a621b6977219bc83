// Lines from a source: one pass over the content with one character of
// look-ahead, decoding in place, one loop per encoding.
#include "../base/wstr.h"
#include "char_decoder.h"

namespace {

const DWORD kLineLimit = LINE_BUFFER_SIZE - 1;

bool EndsLine(LONG c) { return c <= 0x0D ? (c == 0 || c == 0x0A || c == 0x0D) : c == 0x85; }

template <DWORD Encoding>
LONG ReadLineAs(TextSource *source, LPWSTR buffer, DWORD flags) {
    const DecodeView view = ViewOf(source);
    ULONGLONG at = source->position;
    for (;;) {
        DWORD length = 0;
        bool blank = true;
        LONG c;
        ULONGLONG next = at;
        while ((c = DecodeAt<Encoding>(view, at, &next)) >= 0) {
            at = next;
            if (EndsLine(c)) break;
            // Once a line is known not to be blank, no more tests.
            if (blank && !IsWhiteSpace(static_cast<WCHAR>(c))) blank = false;
            // Past the limit the rest of the line is read and dropped.
            if (length < kLineLimit) buffer[length++] = static_cast<WCHAR>(c);
        }
        buffer[length] = 0;
        if (c < 0) {
            source->position = at;
            return length > 0 ? 0 : -1;
        }
        // CR LF and LF CR end one line together; CR CR ends two.
        if (c == 0x0D || c == 0x0A) {
            LONG following = DecodeAt<Encoding>(view, at, &next);
            if (following == (c == 0x0D ? 0x0A : 0x0D)) at = next;
        }
        if ((flags & READ_LINE_SKIP_BLANK) && blank) continue;
        source->position = at;
        return 0;
    }
}

}  // namespace

LONG ReadLine(TextSource *source, LPWSTR buffer, DWORD flags) {
    if (!source || !buffer) return -1;
    switch (source->encoding) {
    case Ansi:
        return ReadLineAs<Ansi>(source, buffer, flags);
    case Utf16Le:
        return ReadLineAs<Utf16Le>(source, buffer, flags);
    case Utf16Be:
        return ReadLineAs<Utf16Be>(source, buffer, flags);
    case Utf8:
        return ReadLineAs<Utf8>(source, buffer, flags);
    case Utf32Le:
        return ReadLineAs<Utf32Le>(source, buffer, flags);
    case Utf32Be:
        return ReadLineAs<Utf32Be>(source, buffer, flags);
    default:
        buffer[0] = 0;
        return -1;
    }
}
