// One character from a source's content at a byte offset, per encoding;
// inline so that the line reader's loop decodes without a call per
// character. Internal to the text I/O library.
#pragma once

#include "codepage_tables.h"
#include "line_reader.h"

// What the decoders need, read once from the record.
struct DecodeView {
    const BYTE *data;
    ULONGLONG size;
    const WCHAR *table;  // the single-byte table for Ansi
    WCHAR replacement;
};

inline DecodeView ViewOf(const TextSource *source) {
    DWORD table = source->ansiTable < CODEPAGE_TABLE_COUNT ? source->ansiTable : 0;
    return {source->data, source->data ? source->size : 0, CODEPAGE_TABLES[table], source->replacement};
}

// The character at `at` and, through `next`, the offset after it; -1 at
// the end (fewer bytes left than a unit needs).
template <DWORD Encoding>
inline LONG DecodeAt(const DecodeView &view, ULONGLONG at, ULONGLONG *next);

template <>
inline LONG DecodeAt<Ansi>(const DecodeView &view, ULONGLONG at, ULONGLONG *next) {
    if (at >= view.size) return -1;
    BYTE byte = view.data[at];
    *next = at + 1;
    return byte < 0x80 ? byte : view.table[byte - 0x80];
}

template <>
inline LONG DecodeAt<Utf16Le>(const DecodeView &view, ULONGLONG at, ULONGLONG *next) {
    if (view.size < 2 || at > view.size - 2) return -1;
    *next = at + 2;
    return view.data[at] | (view.data[at + 1] << 8);
}

template <>
inline LONG DecodeAt<Utf16Be>(const DecodeView &view, ULONGLONG at, ULONGLONG *next) {
    if (view.size < 2 || at > view.size - 2) return -1;
    *next = at + 2;
    return (view.data[at] << 8) | view.data[at + 1];
}

inline LONG Utf32Value(const DecodeView &view, DWORD value) {
    // Beyond the BMP (or with the top bit set) there is no single unit.
    return value > 0xFFFF ? view.replacement : static_cast<LONG>(value);
}

template <>
inline LONG DecodeAt<Utf32Le>(const DecodeView &view, ULONGLONG at, ULONGLONG *next) {
    if (view.size < 4 || at > view.size - 4) return -1;
    const BYTE *p = view.data + at;
    *next = at + 4;
    return Utf32Value(view, p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<DWORD>(p[3]) << 24));
}

template <>
inline LONG DecodeAt<Utf32Be>(const DecodeView &view, ULONGLONG at, ULONGLONG *next) {
    if (view.size < 4 || at > view.size - 4) return -1;
    const BYTE *p = view.data + at;
    *next = at + 4;
    return Utf32Value(view, (static_cast<DWORD>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3]);
}

// Bytes of the sequence a lead byte starts; 0 for a byte that cannot lead.
inline ULONGLONG Utf8Length(BYTE lead) {
    if (lead < 0x80) return 1;
    if (lead < 0xC0) return 0;
    if (lead < 0xE0) return 2;
    if (lead < 0xF0) return 3;
    if (lead < 0xF8) return 4;
    return 0;
}

// A bad byte yields its own replacement and decoding resumes at the next
// byte; a well-formed sequence outside the BMP, or a surrogate, yields one
// replacement for the whole sequence.
template <>
inline LONG DecodeAt<Utf8>(const DecodeView &view, ULONGLONG at, ULONGLONG *next) {
    if (at >= view.size) return -1;
    BYTE lead = view.data[at];
    *next = at + 1;
    if (lead < 0x80) return lead;
    ULONGLONG length = Utf8Length(lead);
    if (length == 0 || length > view.size - at) return view.replacement;
    LONG value = DecodeUtf8Sequence(view.data + at, length);
    if (value < 0) return view.replacement;
    *next = at + length;
    if (value > 0xFFFF || (value >= 0xD800 && value <= 0xDFFF)) return view.replacement;
    return value;
}
