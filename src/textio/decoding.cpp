// Decoding a source's content: which encoding it is in, then character by
// character, or line by line in one pass with one character of look-ahead,
// decoding in place with one loop per encoding.
#include "../base/base.h"
#include "char_decoder.h"

// ---- encoding detection ----
// Which encoding a source's content is in: UTF-32 and UTF-16 by their
// zero and space statistics (or a UTF-16 byte-order mark), UTF-8 when the
// system code page says so or the content is well-formed UTF-8 with at
// least one multi-byte sequence, and the ANSI code page otherwise. Only the
// start of the content is examined, however large it is.

namespace {

constexpr ULONGLONG UTF32_SAMPLE_UNITS = DETECT_UTF16_SAMPLE / 2;  // 16-bit units examined

bool StartsWith(const TextSource *source, const BYTE *bytes, ULONGLONG count) {
    if (source->size < count) return false;
    for (ULONGLONG i = 0; i < count; ++i) {
        if (source->data[i] != bytes[i]) return false;
    }
    return true;
}

void Answer(TextSource *source, TextEncoding encoding, ULONGLONG textStart) {
    source->encoding = encoding;
    source->textStart = textStart;
}

// UTF-32 text read as 16-bit units alternates character units with zero
// (or near-zero) units; which parity holds the zeros tells the byte order.
bool TestUtf32(TextSource *source) {
    if (source->size < 4 || source->size % 4 != 0) return false;
    ULONGLONG n = source->size / 2 < UTF32_SAMPLE_UNITS ? source->size / 2 : UTF32_SAMPLE_UNITS;
    ULONGLONG large[2] = {0, 0}, zero[2] = {0, 0}, masked[2] = {0, 0};
    for (ULONGLONG i = 0; i < n; ++i) {
        WORD unit = static_cast<WORD>(source->data[2 * i] | (source->data[2 * i + 1] << 8));
        int parity = static_cast<int>(i & 1);
        large[parity] += unit > 0x10;
        zero[parity] += unit == 0;
        masked[parity] += (unit & 0xE0FF) != 0;
    }
    ULONGLONG threshold = 3 * n / 8;
    static const BYTE LITTLE_MARK[] = {0xFF, 0xFE, 0x00, 0x00};
    static const BYTE BIG_MARK[] = {0x00, 0x00, 0xFE, 0xFF};
    if (large[0] >= threshold && large[1] == 0 && zero[1] >= threshold) {
        Answer(source, Utf32Le, StartsWith(source, LITTLE_MARK, 4) ? 4 : 0);
        return true;
    }
    if (masked[1] >= threshold && masked[0] == 0 && zero[0] >= threshold) {
        Answer(source, Utf32Be, StartsWith(source, BIG_MARK, 4) ? 4 : 0);
        return true;
    }
    return false;
}

// Mostly-Latin UTF-16 has its zero bytes, and its spaces, on one parity.
bool TestUtf16(TextSource *source) {
    if (source->size < 2) return false;
    static const BYTE LITTLE_MARK[] = {0xFF, 0xFE};
    static const BYTE BIG_MARK[] = {0xFE, 0xFF};
    if (StartsWith(source, LITTLE_MARK, 2)) {
        Answer(source, Utf16Le, 2);
        return true;
    }
    if (StartsWith(source, BIG_MARK, 2)) {
        Answer(source, Utf16Be, 2);
        return true;
    }
    ULONGLONG n = source->size < DETECT_UTF16_SAMPLE ? source->size : DETECT_UTF16_SAMPLE;
    ULONGLONG space[2] = {0, 0}, zero[2] = {0, 0};
    for (ULONGLONG i = 0; i < n; ++i) {
        BYTE byte = source->data[i];
        space[i & 1] += byte == 0x20;
        zero[i & 1] += byte == 0;
    }
    ULONGLONG factor = n <= 128 ? 2 : 4;
    // Too short a sample for statistics: the zeros alone decide.
    if (n <= 32 && zero[0] != zero[1]) {
        Answer(source, zero[0] < zero[1] ? Utf16Le : Utf16Be, 0);
        return true;
    }
    if (space[0] > factor * space[1] && zero[1] > factor * zero[0]) {
        Answer(source, Utf16Le, 0);
        return true;
    }
    if (space[1] > factor * space[0] && zero[0] > factor * zero[1]) {
        Answer(source, Utf16Be, 0);
        return true;
    }
    return false;
}

constexpr BYTE UTF8_MARK[] = {0xEF, 0xBB, 0xBF};

bool UseSystemCodePage(TextSource *source) {
    if (source->ansiCodePage != 65001) return false;
    Answer(source, Utf8, StartsWith(source, UTF8_MARK, 3) ? 3 : 0);
    return true;
}

// Continuation bytes a lead byte asks for; -1 for a byte that cannot lead.
int Continuations(BYTE lead) {
    if (lead >= 0xC0 && lead <= 0xDF) return 1;
    if (lead >= 0xE0 && lead <= 0xEF) return 2;
    if (lead >= 0xF0 && lead <= 0xF7) return 3;
    return -1;
}

bool TestUtf8(TextSource *source) {
    if (source->size < 2) return false;
    if (StartsWith(source, UTF8_MARK, 3)) {
        Answer(source, Utf8, 3);
        return true;
    }
    ULONGLONG n = source->size < DETECT_UTF8_SAMPLE ? source->size : DETECT_UTF8_SAMPLE;
    const BYTE *data = source->data;
    bool sawLead = false;
    ULONGLONG i = 0;
    while (i < n) {
        BYTE byte = data[i++];
        if (byte < 0x80) continue;
        int follow = Continuations(byte);
        if (follow < 0) return false;
        sawLead = true;
        // A sequence cut off by the end of the sample counts as well-formed.
        for (int k = 0; k < follow && i < n; ++k, ++i) {
            if ((data[i] & 0xC0) != 0x80) return false;
        }
    }
    if (!sawLead) return false;
    Answer(source, Utf8, 0);
    return true;
}

}  // namespace

void DetectEncoding(TextSource *source) {
    if (!source) return;
    if (!TestUtf32(source) && !TestUtf16(source) && !UseSystemCodePage(source) && !TestUtf8(source)) {
        Answer(source, Ansi, 0);
    }
    if (source->position < source->textStart) source->position = source->textStart;
}

// ---- characters ----

DWORD CodePageTableIndex(UINT codePage) {
    for (DWORD i = 0; i < CODEPAGE_TABLE_COUNT; ++i) {
        if (CODEPAGE_TABLE_PAGES[i] == codePage) return i;
    }
    return 0;
}

namespace {

LONG DecodeNext(const TextSource *source, ULONGLONG *next) {
    DecodeView view = ViewOf(source);
    ULONGLONG at = source->position;
    return WithEncoding(source->encoding, static_cast<LONG>(-1),
                        [&](auto encoding) { return DecodeAt<decltype(encoding)::value>(view, at, next); });
}

}  // namespace

LONG DecodeUtf8Sequence(const BYTE *bytes, ULONGLONG available) {
    if (!bytes || available == 0) return -1;
    BYTE lead = bytes[0];
    ULONGLONG length = Utf8Length(lead);
    if (length == 0 || length > available) return -1;
    static const BYTE PAYLOAD_MASK[5] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    LONG value = lead & PAYLOAD_MASK[length];
    for (ULONGLONG i = 1; i < length; ++i) {
        if ((bytes[i] & 0xC0) != 0x80) return -1;
        value = (value << 6) | (bytes[i] & 0x3F);
    }
    return value;
}

LONG ReadChar(TextSource *source) {
    if (!source) return -1;
    ULONGLONG next = source->position;
    LONG c = DecodeNext(source, &next);
    if (c >= 0) source->position = next;
    return c;
}

LONG PeekChar(const TextSource *source) {
    if (!source) return -1;
    ULONGLONG next = source->position;
    return DecodeNext(source, &next);
}

// ---- lines ----

namespace {

constexpr DWORD LINE_LIMIT = LINE_BUFFER_SIZE - 1;

bool EndsLine(LONG c) {
    return c <= 0x0D ? (c == 0 || c == 0x0A || c == 0x0D) : c == 0x85;
}

// In pieces a full buffer is handed over as one piece of the line, the
// source left at the character that did not fit, and *goesOn set; else the
// rest of an overlong line is read and dropped. A template argument, so
// that ReadLine's loop is not one test longer.
template <DWORD Encoding, bool Pieces>
bool ReadLineAs(TextSource *source, LPWSTR buffer, DWORD flags, bool *goesOn) {
    const DecodeView view = ViewOf(source);
    ULONGLONG at = source->position;
    for (;;) {
        DWORD length = 0;
        bool blank = true;
        LONG c;
        ULONGLONG next = at;
        while ((c = DecodeAt<Encoding>(view, at, &next)) >= 0) {
            if (Pieces && length == LINE_LIMIT && !EndsLine(c)) {
                buffer[length] = 0;
                source->position = at;
                *goesOn = true;
                return true;
            }
            at = next;
            if (EndsLine(c)) break;
            // Once a line is known not to be blank, no more tests.
            if (blank && !IsWhiteSpace(static_cast<WCHAR>(c))) blank = false;
            // Past the limit the rest of the line is read and dropped.
            if (length < LINE_LIMIT) buffer[length++] = static_cast<WCHAR>(c);
        }
        buffer[length] = 0;
        if (c < 0) {
            source->position = at;
            return length > 0;
        }
        // CR LF and LF CR end one line together; CR CR ends two.
        if (c == 0x0D || c == 0x0A) {
            LONG following = DecodeAt<Encoding>(view, at, &next);
            if (following == (c == 0x0D ? 0x0A : 0x0D)) at = next;
        }
        if ((flags & READ_LINE_SKIP_BLANK) && blank) continue;
        source->position = at;
        return true;
    }
}

}  // namespace

bool ReadLine(TextSource *source, LPWSTR buffer, DWORD flags) {
    if (!source || !buffer) return false;
    // An encoding no record can have reads as the end.
    buffer[0] = 0;
    return WithEncoding(source->encoding, false, [&](auto encoding) {
        return ReadLineAs<decltype(encoding)::value, false>(source, buffer, flags, nullptr);
    });
}

LinePiece ReadLinePiece(TextSource *source, LPWSTR buffer) {
    if (!source || !buffer) return NO_LINE_LEFT;
    buffer[0] = 0;
    bool goesOn = false;
    bool read = WithEncoding(source->encoding, false, [&](auto encoding) {
        return ReadLineAs<decltype(encoding)::value, true>(source, buffer, 0, &goesOn);
    });
    return !read ? NO_LINE_LEFT : goesOn ? LINE_GOES_ON : LINE_ENDS;
}
