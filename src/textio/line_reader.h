// Characters and lines from an open TextSource, decoded in place from its
// content in the encoding detection chose. Every character is one UTF-16
// unit; what cannot be decoded becomes the source's replacement character.
#pragma once

#include "text_source.h"

#define LINE_BUFFER_SIZE 8192  // a line holds at most 8191 units and its NUL

#define READ_LINE_SKIP_BLANK 1  // ReadLine flag: drop empty and white-space lines

// The next character (0 for NUL), moving past it; -1 at the end or for a
// null source.
LONG ReadChar(TextSource *source);
// The character ReadChar would return, without moving.
LONG PeekChar(const TextSource *source);
// The next line without its terminator into `buffer` (LINE_BUFFER_SIZE
// units): 0, or -1 at the end or for a null argument. CR LF, LF CR, a lone
// CR or LF, NEL and NUL each end a line; an overlong line keeps its first
// 8191 units and the rest of it is skipped.
LONG ReadLine(TextSource *source, LPWSTR buffer, DWORD flags);
// The code point of the UTF-8 sequence at `bytes`, of which `available`
// can be read; -1 when the sequence is malformed or cut off. Overlong forms
// and surrogates are not checked here.
LONG DecodeUtf8Sequence(const BYTE *bytes, ULONGLONG available);
