// Text in and out. A text source is a named source of text presented as one
// read-only byte range with its encoding: a disk file (mapped as it stands),
// a device or pipe reached by name or standard input (copied to a temporary
// file first, then mapped), or the clipboard's text (copied into memory).
// Its characters and lines are decoded in place, every character one UTF-16
// unit, what cannot be decoded the source's replacement character. An output
// file is buffered UTF-8 output of wide-character text to a new file or to
// standard output. A file is replaced through a new one written beside it.
#pragma once

#include "../platform.h"

// ---- text sources (text_source.cpp) ----

// Encoding kinds. Stored in 32 bits, so a record may hold any value; decoding
// reads an unknown one as the end.
enum TextEncoding : DWORD {
    Ansi = 0,  // the system ANSI code page, one byte per character
    Utf16Le = 1,
    Utf16Be = 2,
    Utf8 = 3,
    Utf32Le = 32,
    Utf32Be = 33,
};

// Results of OpenTextSource besides 0 and the Windows error codes.
constexpr LONG TEXT_SOURCE_BAD_ARGUMENT = -1;  // also every clipboard failure
constexpr LONG TEXT_SOURCE_EMPTY = -100;       // the source holds no bytes

// A file or stream larger than this is refused with ERROR_FILE_TOO_LARGE
// before its content is mapped (a stream: as soon as its copy would pass it).
constexpr ULONGLONG TEXT_SOURCE_SIZE_LIMIT = 64ull << 20;

// Detection looks no further than these into the content.
constexpr ULONGLONG DETECT_UTF16_SAMPLE = 131072;  // UTF-16 and UTF-32 statistics
constexpr ULONGLONG DETECT_UTF8_SAMPLE = 262144;

// One open source, owned by the caller. All fields zero is the empty record.
struct TextSource {
    const BYTE *data;  // the mapped view, or the clipboard text's copy
    LPWSTR name;       // the name given, or for files the name opened
    LPWSTR tempPath;   // the temporary copy of a stream source, or null
    HANDLE file;       // null for clipboard text
    HANDLE mapping;    // null for clipboard text
    LONG lastError;    // kept across the close
    TextEncoding encoding;
    ULONGLONG size;       // content bytes
    ULONGLONG position;   // next byte to decode
    ULONGLONG textStart;  // length of the byte-order mark
    UINT ansiCodePage;
    DWORD ansiTable;    // index into the single-byte tables
    WCHAR replacement;  // delivered for undecodable input
};

// Opens `name`: "clip:" (any case) for the clipboard, "-" for standard
// input, anything else a file or device. 0 when open; -1 for a null record
// or name, an empty name or any clipboard failure; otherwise the failure
// code (ERROR_FILE_TOO_LARGE past TEXT_SOURCE_SIZE_LIMIT), also left in
// lastError. A failed open leaves nothing held.
LONG OpenTextSource(TextSource *source, LPCWSTR name);
// Why a source could not be opened, indented under the message that named
// it: the size limit by name (Windows' own text for ERROR_FILE_TOO_LARGE
// speaks of saving), any other code in the system's words.
void PrintTextSourceError(LONG code);
// Releases what the record holds and empties it, keeping lastError. Safe on
// an empty record. Always 0.
LONG CloseTextSource(TextSource *source);
// True for a console handle; the standard-handle values -10, -11 and -12
// stand for the process's standard handles.
bool IsConsoleHandle(HANDLE handle);

// ---- decoding (decoding.cpp) ----

constexpr DWORD LINE_BUFFER_SIZE = 8192;   // a line holds at most 8191 units and its NUL
constexpr DWORD READ_LINE_SKIP_BLANK = 1;  // ReadLine flag: drop empty and white-space lines

// Sets encoding and textStart from the content, and moves position up to
// textStart.
void DetectEncoding(TextSource *source);
// The next character (0 for NUL), moving past it; -1 at the end or for a
// null source.
LONG ReadChar(TextSource *source);
// The character ReadChar would return, without moving.
LONG PeekChar(const TextSource *source);
// The next line without its terminator into `buffer` (LINE_BUFFER_SIZE
// units): true, or false at the end or for a null argument. CR LF, LF CR, a lone
// CR or LF, NEL and NUL each end a line; an overlong line keeps its first
// 8191 units and the rest of it is skipped.
bool ReadLine(TextSource *source, LPWSTR buffer, DWORD flags);
// What ReadLinePiece delivered.
enum [[nodiscard]] LinePiece{
    NO_LINE_LEFT,  // the end, or a null argument
    LINE_ENDS,     // the line, or its last piece
    LINE_GOES_ON,  // 8191 units of a longer line; the next call gives what follows
};
// ReadLine with flags 0, except that an overlong line comes whole, in
// pieces: 8191 units while it goes on, then the last 1 to 8191. The first
// piece is what ReadLine would have given.
LinePiece ReadLinePiece(TextSource *source, LPWSTR buffer);
// The code point of the UTF-8 sequence at `bytes`, of which `available`
// can be read; -1 when the sequence is malformed or cut off. Overlong forms
// and surrogates are not checked here.
LONG DecodeUtf8Sequence(const BYTE *bytes, ULONGLONG available);

// ---- output files (output_file.cpp) ----
// Text reaches the file when the buffer would overflow and at the close;
// the caller writes its own line breaks.

constexpr DWORD OUTPUT_CAPACITY = 8192;     // units of pending text, its NUL included
constexpr DWORD OUTPUT_BYTES_SIZE = 24576;  // three UTF-8 bytes for each unit of a full buffer

struct OutputFile {
    LPWSTR pending;  // accepted, not yet written; always zero-terminated
    BYTE *bytes;     // conversion buffer for one flush
    DWORD capacity;
    DWORD count;  // units in pending, at most capacity - 1
    DWORD bytesSize;
    HANDLE file;
    bool isStdOut;  // standard output is never closed here
    UINT codePage;
};

// Creates (or empties) the file `name`, or takes standard output for "-".
// Null with the last error set: 13 for a null or empty name, 8 when memory
// runs out, or the error of CreateFileW.
OutputFile *CreateOutputFile(LPCWSTR name);
// Appends `text` (any length); 0, the Windows error of a failed flush, or
// -1 for a null argument.
LONG WriteText(OutputFile *output, LPCWSTR text);
// Appends U+FEFF, which is written as the UTF-8 byte-order mark.
LONG WriteBom(OutputFile *output);
// Writes the pending text; 0 or the Windows error, the text then kept.
LONG FlushOutput(OutputFile *output);
// Flushes, closes the file (never standard output) and frees the output
// whatever happens; the result of the flush, or -1 for null.
LONG CloseOutputFile(OutputFile *output);
// An output file writing to the open file `file`, which it then owns; null
// with the last error 8 when memory runs out, `file` then still the caller's.
OutputFile *CreateOutputOnHandle(HANDLE file);

// ---- file names (output_file.cpp) ----

// Creates a new file, open for reading, writing and deletion (so that it can
// be renamed or removed through the handle alone) with `share` and `flags`
// (attributes and FILE_FLAG_ values), named `prefix`, 16 random hexadecimal
// digits and `suffix` in the directory that the first `directoryLength`
// characters of `directory` name. CREATE_NEW, so that nothing already under
// the name (a link planted there) is ever opened; a name taken already is
// drawn again, a few times. The handle, or INVALID_HANDLE_VALUE with the
// last error set. `*name` receives the name made last (freed by the
// caller with MemFree), null when none could be made.
HANDLE CreateUniqueFile(LPCWSTR directory, size_t directoryLength, LPCWSTR prefix, LPCWSTR suffix, DWORD share,
                        DWORD flags, LPWSTR *name);
// `path` in a form Windows opens whatever its length: a name whose full
// path is MAX_PATH characters or more becomes that full path with "\\?\"
// (or "\\?\UNC\") before it, in a copy put in `*copy` for the caller to
// free; otherwise `path` itself.
// Null, with the last error 8, when the copy cannot be made.
LPCWSTR OpenableName(LPCWSTR path, LPWSTR *copy);
// `path` as users write it: without a "\\?\" prefix.
LPCWSTR DisplayName(LPCWSTR path);

// ---- replacing a file (replace_file.cpp) ----
// A file is replaced by a new one written beside it and put in its place in
// one step: until then the old file is untouched, and after it the new
// content is whole. The new file is made under a name nobody can foresee
// and held, unshared, from its creation to the end; it is given the old
// file's attributes and creation time, renamed over the old file and, on
// failure, removed, all through that handle, so that nothing planted under
// its name is ever followed. Only where the file system cannot rename
// through a handle is the new file replaced by its name. As with any
// editor that saves by renaming, the file then has what its folder gives
// new files (permissions).

// All fields zero is the record before FindFileToReplace.
struct FileReplacement {
    LPWSTR target;       // the file replaced, by its final name; null until found
    LPWSTR temp;         // the new file's name (the last one tried), for messages; null while none
    OutputFile *output;  // writes the new file and holds it until the end
    HANDLE file;         // the new file while it has no output; null otherwise
    BY_HANDLE_FILE_INFORMATION old;
    bool knowOld;   // `old` was read from the file replaced
    bool made;      // the new file is there, neither in place nor removed
    bool byName;    // its handle was closed for ReplaceFileW
    bool onlyCopy;  // the old file is gone and the new one holds the only copy: it stays
};

// Finds the file to replace for `path`, which the caller has open as
// `opened` (null when what it read was no file of its own, such as a device
// read through a copy: `path` is then replaced as it stands), and reads its
// attributes. The target is the file's final name, links resolved, so that
// a link is written through rather than replaced; on a volume without a
// drive letter its volume GUID name; failing both, `path` itself unless that
// is a link. 0 or the error (that of the first name asked for).
DWORD FindFileToReplace(FileReplacement *replacement, HANDLE opened, LPCWSTR path);
// Makes the new file in the target's directory (so that the rename never
// crosses volumes) and its output. 0 or the error; `temp` then names the
// file that could not be made, or is null when no name could be drawn.
DWORD CreateReplacement(FileReplacement *replacement);
// What was written made complete and durable; 0 or the error.
DWORD FlushReplacement(FileReplacement *replacement);
// Puts the flushed new file in the old one's place, which the caller no
// longer holds open: refused for a read-only file, retried for about half a
// second while the old file is held open, and left to ReplaceFileW where
// the file system cannot rename through a handle. 0 or the error.
DWORD PutReplacementInPlace(FileReplacement *replacement);
// Closes the new file, removing it unless it is in place or holds the only
// copy. 0, or the error that left it behind under `temp`. Harmless twice.
DWORD EndReplacement(FileReplacement *replacement);
// Ends the replacement, whatever that meets, and frees its names.
void FreeReplacement(FileReplacement *replacement);
