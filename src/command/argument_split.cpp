// Splitting the command's text into arguments. Options are separated by
// white space (and "/D/Q" is two options); the first argument that is not an
// option takes the rest of the line, so that scheme names need no quotes.
#include "../base/wstr.h"
#include "../plugin/host.h"
#include "../plugin/messages.h"
#include "command.h"

ArgumentList g_argumentList;

namespace {

const LONG NO_ARGUMENT = -1;

enum StoreOutcome { STORED = 0, DROPPED = 1, OVERFLOWED = -1 };

struct Splitter {
    ArgumentList *list;
    LONG next;       // next free position in the buffer
    LONG start;      // where the open argument began, or NO_ARGUMENT
    BOOL separate;   // white space ends the open argument
    BOOL isOption;   // the open argument began with "/"
    BOOL keepWhole;  // a "x://" was seen: no more splitting at "/"
};

bool IsAsciiLetter(WCHAR c) {
    return (c >= TEXT('a') && c <= TEXT('z')) || (c >= TEXT('A') && c <= TEXT('Z'));
}

void FinishArgument(Splitter *s) {
    if (s->start == NO_ARGUMENT) return;
    ArgumentList *list = s->list;
    list->text[s->next] = 0;
    list->arguments[list->count] = list->text + s->start;
    list->lengths[list->count] = s->next - s->start;
    ++list->count;
    ++s->next;
    s->start = NO_ARGUMENT;
}

int Store(Splitter *s, WCHAR c) {
    if (s->start == NO_ARGUMENT) {
        if (s->list->count >= MAX_ARGUMENTS) return DROPPED;
        s->start = s->next;
        s->isOption = c == TEXT('/');
        s->separate = s->isOption;
        s->keepWhole = FALSE;
    }
    // The last position is kept for the terminator.
    if (s->next >= MAX_ARG_LEN - 1) return OVERFLOWED;
    s->list->text[s->next++] = c;
    return STORED;
}

// A "/" inside an option of two or more characters starts the next option,
// unless the option holds a URL-like "letter://" (a path such as
// /F:file://server/share).
bool SplitsOption(const Splitter *s) {
    return s->start != NO_ARGUMENT && s->isOption && !s->keepWhole && s->next - s->start >= 2;
}

void NoteColon(Splitter *s, LPCWSTR text, size_t i) {
    if (s->next - s->start < 2 || !IsAsciiLetter(s->list->text[s->next - 2])) return;
    if (text[i + 1] == TEXT('/') && text[i + 2] == TEXT('/')) s->keepWhole = TRUE;
}

void TrimTrailingWhiteSpace(ArgumentList *list) {
    for (LONG n = 0; n < list->count; ++n) {
        LPWSTR argument = list->arguments[n];
        LONG length = list->lengths[n];
        while (length > 0 && IsWhiteSpace(argument[length - 1])) argument[--length] = 0;
        list->lengths[n] = length;
    }
}

}  // namespace

int SplitArguments(LPCWSTR text) {
    ArgumentList *list = &g_argumentList;
    list->count = 0;
    if (!text) return 0;
    Splitter s = {list, 0, NO_ARGUMENT, TRUE, FALSE, FALSE};
    BOOL quoting = FALSE;
    for (size_t i = 0; text[i] != 0; ++i) {
        WCHAR c = text[i];
        if (c == TEXT('"')) {
            quoting = !quoting;
            continue;
        }
        if (!quoting) {
            if (IsWhiteSpace(c) && (s.start == NO_ARGUMENT || s.separate)) {
                FinishArgument(&s);
                continue;
            }
            if (c == TEXT('/') && SplitsOption(&s)) FinishArgument(&s);
        }
        int outcome = Store(&s, c);
        if (outcome == DROPPED) break;  // the argument cap: the rest is ignored
        if (outcome == OVERFLOWED) {
            PrintErrorPrefix();
            Qprintf(ErrorHandle(), TEXT("Buffer overflow: b = %d, MAX_ARG_LEN = %d \r\n"), static_cast<int>(s.next),
                    MAX_ARG_LEN);
            list->count = 0;
            return -1;
        }
        if (c == TEXT(':')) NoteColon(&s, text, i);
    }
    FinishArgument(&s);
    TrimTrailingWhiteSpace(list);
    return static_cast<int>(list->count);
}
