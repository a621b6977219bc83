// The decoding internals of the text I/O library, not for its callers: the
// single-byte code-page tables, and one character from a source's content
// at a byte offset, per encoding, inline so that the line reader's loop
// decodes without a call per character.
#pragma once

#include <type_traits>

#include "textio.h"

// The single-byte code pages text sources decode: for each, the characters
// of bytes 0x80-0xFF (bytes below 0x80 are themselves). Unassigned bytes and
// C1 controls give U+FFFD.
constexpr DWORD CODEPAGE_TABLE_COUNT = 24;

// The code pages in table order; index 0, code page 1252, stands in for
// any code page not listed.
extern const UINT CODEPAGE_TABLE_PAGES[CODEPAGE_TABLE_COUNT];
extern const WCHAR CODEPAGE_TABLES[CODEPAGE_TABLE_COUNT][128];

// The table index of `codePage`, 0 when it has none (decoding.cpp).
DWORD CodePageTableIndex(UINT codePage);

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

// Calls `step` with `encoding` as a compile-time constant, so that each
// encoding gets a loop of its own; `unknown` for an encoding no record
// can have.
template <typename Result, typename Step>
inline Result WithEncoding(DWORD encoding, Result unknown, Step step) {
    switch (encoding) {
        case Ansi:
            return step(std::integral_constant<DWORD, Ansi>());
        case Utf16Le:
            return step(std::integral_constant<DWORD, Utf16Le>());
        case Utf16Be:
            return step(std::integral_constant<DWORD, Utf16Be>());
        case Utf8:
            return step(std::integral_constant<DWORD, Utf8>());
        case Utf32Le:
            return step(std::integral_constant<DWORD, Utf32Le>());
        case Utf32Be:
            return step(std::integral_constant<DWORD, Utf32Be>());
        default:
            return unknown;
    }
}
