// Character by character through a source's content.
#include "char_decoder.h"

namespace {

LONG DecodeNext(const TextSource *source, ULONGLONG *next) {
    DecodeView view = ViewOf(source);
    ULONGLONG at = source->position;
    switch (source->encoding) {
    case Ansi:
        return DecodeAt<Ansi>(view, at, next);
    case Utf16Le:
        return DecodeAt<Utf16Le>(view, at, next);
    case Utf16Be:
        return DecodeAt<Utf16Be>(view, at, next);
    case Utf8:
        return DecodeAt<Utf8>(view, at, next);
    case Utf32Le:
        return DecodeAt<Utf32Le>(view, at, next);
    case Utf32Be:
        return DecodeAt<Utf32Be>(view, at, next);
    default:
        return -1;
    }
}

}  // namespace

LONG DecodeUtf8Sequence(const BYTE *bytes, ULONGLONG available) {
    if (!bytes || available == 0) return -1;
    BYTE lead = bytes[0];
    ULONGLONG length = Utf8Length(lead);
    if (length == 0 || length > available) return -1;
    static const BYTE kPayloadMask[5] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    LONG value = lead & kPayloadMask[length];
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
