// vhost's command-line options.
#include "plugin/host.h"
#include "vhost.h"

namespace vhost {

namespace {

const char kUsage[] =
    "usage: vhost [options]\r\n"
    "Loads the plugin, runs lines from -c options (or standard input), and\r\n"
    "exits with the result of the last plugin command.\r\n"
    "\r\n"
    "  --plugin PATH        plugin module (default: Vivanta.dll/.so beside vhost)\r\n"
    "  --ver TEXT           what %_4ver expands to (default 28.01)\r\n"
    "  --transient, --pipe  set _transient / _pipe to 1\r\n"
    "  --var NAME=VALUE     a host variable when NAME begins with _, else environment\r\n"
    "  --frontend NAME      console|takecommand|console2|conemu|terminal|conpty|\r\n"
    "                       terminal-handoff|wine|none (Linux)\r\n"
    "  --registry FILE      simulated registry: read at start if the file exists,\r\n"
    "                       written back at exit (Linux)\r\n"
    "  --size COLSxROWS     console buffer size (Linux)\r\n"
    "  --vt-log FILE        at exit, appends as UTF-8 what was written to the console\r\n"
    "                       while VT processing was on (Linux)\r\n"
    "  -c LINE              a line to run (repeatable)\r\n"
    "\r\n"
    "Lines:\r\n"
    "  vivanta ARGS | option //NAME=VALUE | set NAME[=VALUE] | echo TEXT\r\n"
    "  key CODE [shift] [ctrl] [alt] | keyname NAME | console | options | windows\r\n"
    "  wait MS | usage NAME | help NAME | theme dark|light | screen | terminal (Linux)\r\n"
    "  keys KEY... : console input for the next command: Up Down Left Right PgUp PgDn\r\n"
    "       Home End Del Tab Shift-Tab Enter Esc BkSp Space Ctrl-A..Ctrl-Z Ctrl-Break,\r\n"
    "       NAME*N for N repeats, \"text\" typed character by character\r\n"
    "  resize COLSxROWS : resizes the console window (Linux)\r\n"
    "  modes : the input and output modes, the cursor, and whether the buffer shown\r\n"
    "       at start is still shown\r\n"
    "Exit status: the last plugin command's result; 1 when the plugin refused to\r\n"
    "load; 2 for bad arguments or a module that cannot be loaded.\r\n";

bool IsLinuxOnly(const Text &name) {
    return name == Widen("--frontend") || name == Widen("--registry") || name == Widen("--size") ||
           name == Widen("--vt-log");
}

bool TakesValue(const Text &name) {
    const char *const names[] = {"--plugin", "--ver", "--var", "--frontend", "--registry", "--size", "--vt-log", "-c"};
    for (const char *known : names) {
        if (name == Widen(known)) return true;
    }
    return false;
}

bool TakeOption(const Text &name, const Text &value, Options *options, Text *error) {
    if (name == Widen("--plugin")) {
        options->pluginPath = value;
    } else if (name == Widen("--ver")) {
        options->version = value;
    } else if (name == Widen("--var")) {
        size_t equals = value.find('=');
        if (equals == Text::npos || equals == 0) {
            *error = Widen("--var wants NAME=VALUE: ") + value;
            return false;
        }
        options->variables.push_back(std::make_pair(value.substr(0, equals), value.substr(equals + 1)));
    } else if (name == Widen("--frontend")) {
        options->frontEnd = value;
    } else if (name == Widen("--registry")) {
        options->registryFile = value;
    } else if (name == Widen("--vt-log")) {
        options->vtLogFile = value;
    } else if (name == Widen("--size")) {
        if (!ParseSize(value, &options->columns, &options->rows)) {
            *error = Widen("--size wants COLSxROWS: ") + value;
            return false;
        }
    } else if (name == Widen("-c")) {
        options->lines.push_back(value);
    } else {
        *error = Widen("unknown option ") + name;
        return false;
    }
    return true;
}

}  // namespace

bool ParseSize(const Text &text, SHORT *columns, SHORT *rows) {
    size_t x = text.find_first_of(Widen("xX"));
    if (x == Text::npos) return false;
    DWORD c = 0, r = 0;
    if (!ParseNumber(text.substr(0, x), &c) || !ParseNumber(text.substr(x + 1), &r)) return false;
    if (c < 1 || c > 32767 || r < 1 || r > 32767) return false;
    *columns = static_cast<SHORT>(c);
    *rows = static_cast<SHORT>(r);
    return true;
}

bool ParseOptions(const std::vector<Text> &args, Options *options, Text *error) {
    options->version = Widen("28.01");
    for (size_t i = 0; i < args.size(); ++i) {
        Text name = args[i];
        if (name == Widen("--transient")) {
            options->transient = true;
            continue;
        }
        if (name == Widen("--pipe")) {
            options->pipe = true;
            continue;
        }
        if (name == Widen("-h") || name == Widen("--help") || name == Widen("-?")) {
            options->showUsage = true;
            continue;
        }
        Text value;
        size_t equals = name.find('=');
        if (name.compare(0, 2, Widen("--")) == 0 && equals != Text::npos) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
        } else if (!TakesValue(name)) {
            *error = Widen("unknown option ") + name;
            return false;
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            *error = Widen("missing value after ") + name;
            return false;
        }
        if (VT_ON_WINDOWS && IsLinuxOnly(name)) {
            *error = name + Widen(" is available on Linux only");
            return false;
        }
        if (!TakeOption(name, value, options, error)) return false;
    }
    return true;
}

void PrintUsage() {
    Qprintf(GetStdHandle(STD_ERROR_HANDLE), TEXT("%s"), Widen(kUsage).c_str());
}

}  // namespace vhost
