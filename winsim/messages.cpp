// FormatMessageW over the system message table: the English texts Windows
// stores for the common error codes, each ending in "\r\n" as stored.
#include "world.h"

namespace winsim {

namespace {

const struct {
    DWORD code;
    const char16_t *text;
} kSystemMessages[] = {
    {0, u"The operation completed successfully.\r\n"},
    {1, u"Incorrect function.\r\n"},
    {2, u"The system cannot find the file specified.\r\n"},
    {3, u"The system cannot find the path specified.\r\n"},
    {4, u"The system cannot open the file.\r\n"},
    {5, u"Access is denied.\r\n"},
    {6, u"The handle is invalid.\r\n"},
    {8, u"Not enough memory resources are available to process this command.\r\n"},
    {13, u"The data is invalid.\r\n"},
    {14, u"Not enough memory resources are available to complete this operation.\r\n"},
    {18, u"There are no more files.\r\n"},
    {24, u"The program issued a command but the command length is incorrect.\r\n"},
    {29, u"The system cannot write to the specified device.\r\n"},
    {30, u"The system cannot read from the specified device.\r\n"},
    {31, u"A device attached to the system is not functioning.\r\n"},
    {32, u"The process cannot access the file because it is being used by another process.\r\n"},
    {33, u"The process cannot access the file because another process has locked a portion of the file.\r\n"},
    {38, u"Reached the end of the file.\r\n"},
    {39, u"The disk is full.\r\n"},
    {50, u"The request is not supported.\r\n"},
    {80, u"The file exists.\r\n"},
    {87, u"The parameter is incorrect.\r\n"},
    {109, u"The pipe has been ended.\r\n"},
    {112, u"There is not enough space on the disk.\r\n"},
    {120, u"This function is not supported on this system.\r\n"},
    {122, u"The data area passed to a system call is too small.\r\n"},
    {123, u"The filename, directory name, or volume label syntax is incorrect.\r\n"},
    {126, u"The specified module could not be found.\r\n"},
    {127, u"The specified procedure could not be found.\r\n"},
    {145, u"The directory is not empty.\r\n"},
    {183, u"Cannot create a file when that file already exists.\r\n"},
    {203, u"The system could not find the environment option that was entered.\r\n"},
    {232, u"The pipe is being closed.\r\n"},
    {234, u"More data is available.\r\n"},
    {259, u"No more data is available.\r\n"},
    {998, u"Invalid access to memory location.\r\n"},
    {1010, u"The configuration registry key is invalid.\r\n"},
    {1011, u"The configuration registry key could not be opened.\r\n"},
    {1012, u"The configuration registry key could not be read.\r\n"},
    {1013, u"The configuration registry key could not be written.\r\n"},
    {1018, u"Illegal operation attempted on a registry key that has been marked for deletion.\r\n"},
    {1168, u"Element not found.\r\n"},
    {1400, u"Invalid window handle.\r\n"},
    {1407, u"Cannot find window class.\r\n"},
    {1410, u"Class already exists.\r\n"},
    {1411, u"Class does not exist.\r\n"},
    {1412, u"Class still has open windows.\r\n"},
    {1460, u"This operation returned because the timeout period expired.\r\n"},
    {1461, u"Invalid monitor handle.\r\n"},
};

const WORD kLangEnglish = 0x09;

bool HasInserts(const std::u16string &text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == u'%' && text[i + 1] >= u'1' && text[i + 1] <= u'9') return true;
    }
    return false;
}

// With a maximum width the stored line breaks give way: each becomes one
// blank, which is why such a message ends in a blank.
std::u16string JoinLines(const std::u16string &text) {
    std::u16string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            out.push_back(u' ');
            ++i;
        } else if (text[i] == u'\n') {
            out.push_back(u' ');
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

}  // namespace

void LoadSystemMessages(std::map<DWORD, std::u16string> &messages) {
    messages.clear();
    for (const auto &entry : kSystemMessages) messages[entry.code] = entry.text;
}

}  // namespace winsim

using namespace winsim;

// ---- FormatMessageW ----
// System messages only; inserts are never filled in, and a width limit
// other than FORMAT_MESSAGE_MAX_WIDTH_MASK is treated like it.
WINSIM_API DWORD WINAPI FormatMessageW(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPWSTR buffer,
                                       DWORD size, void *arguments) {
    (void)source;
    if (sim::ShouldFail("FormatMessageW")) return 0;
    if (!(flags & FORMAT_MESSAGE_FROM_SYSTEM) || (flags & (FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_FROM_HMODULE)) ||
        (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER)) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return 0;
    }
    if (!buffer) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    WORD primary = static_cast<WORD>(languageId & 0x3FF);
    if (primary != LANG_NEUTRAL && primary != kLangEnglish) {
        SetLastError(ERROR_RESOURCE_LANG_NOT_FOUND);
        return 0;
    }
    auto found = W().messages.find(messageId);
    if (found == W().messages.end()) {
        SetLastError(ERROR_MR_MID_NOT_FOUND);
        return 0;
    }
    std::u16string text = found->second;
    if (!(flags & FORMAT_MESSAGE_IGNORE_INSERTS) && HasInserts(text) && !arguments) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (flags & FORMAT_MESSAGE_MAX_WIDTH_MASK) text = JoinLines(text);
    if (text.size() + 1 > size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    return CopyTruncated(text, buffer, size);
}

namespace sim {

void SetSystemMessage(DWORD code, const std::u16string &text) { W().messages[code] = text; }

}  // namespace sim
