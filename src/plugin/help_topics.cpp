#include "help_topics.h"

#include "../base/wstr.h"

// The trailing double blanks and the lone "\r\n" after the syntax line are
// part of the text the host shows.
const WCHAR HELP_TEXT[] =
    TEXT("Display and change plugin settings; list and apply color schemes.  \n\n")
    TEXT("VIVANTA /D /F:file /K:key /L /O:yn /Q /R /S /W:file::name scheme  \r\n\n")
    TEXT("\t/D\trestore default plugin settings\n")
    TEXT("\t/F:\tread color schemes from .INI file\n")
    TEXT("\t/K:\tchange the hotkey\n")
    TEXT("\t/L\tlist all supported hotkeys\n")
    TEXT("\t/O:\tenable/disable hotkey OSD display\n")
    TEXT("\t/Q\tquietly\n")
    TEXT("\t/R\trestore saved settings from the registry\n")
    TEXT("\t/S\tsave the current settings to the registry  \n")
    TEXT("\t/W:\twrite current color scheme to .INI file\n")
    TEXT("\tscheme\tcolor scheme to apply (name or number)  \n\n")
    TEXT("VIVANTA with no options displays the current settings.  \n");

namespace {

const HelpTopic TOPICS[] = {
    {TEXT("vivanta"), HELP_TEXT},
};

}  // namespace

const HelpTopic *FindHelpTopic(LPCWSTR name) {
    if (!name) return nullptr;
    for (const HelpTopic &topic : TOPICS) {
        if (StrCompareI(topic.name, name) == 0) return &topic;
    }
    return nullptr;
}
