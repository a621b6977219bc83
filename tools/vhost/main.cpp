// vhost's life: set up the machine and the host, load and start the plugin,
// run the lines, shut the plugin down. The exit status is the result of the
// last plugin command.
#include <iostream>
#include <string>

#include "host_control.h"
#include "vhost.h"

using namespace vhost;

namespace {

void SetHostVariables(const Options &options) {
    HostCtlSetVariable(TEXT("_4ver"), options.version.c_str());
    HostCtlSetVariable(TEXT("_transient"), options.transient ? TEXT("1") : TEXT("0"));
    HostCtlSetVariable(TEXT("_pipe"), options.pipe ? TEXT("1") : TEXT("0"));
    for (const std::pair<Text, Text> &variable : options.variables) {
        if (variable.first[0] == '_') {
            HostCtlSetVariable(variable.first.c_str(), variable.second.c_str());
        } else {
            SetEnvironmentVariableW(variable.first.c_str(),
                                    variable.second.empty() ? nullptr : variable.second.c_str());
        }
    }
}

bool StartPlugin(const Options &options, Session *session) {
    Text path = options.pluginPath.empty() ? DefaultPluginPath() : options.pluginPath;
    if (!LoadPlugin(path, &session->plugin)) return false;
    if (session->plugin.getPluginInfo() == nullptr) PrintError(Widen("vhost: GetPluginInfo returned nothing"));
    return true;
}

void RunLines(const Options &options, Session *session) {
    if (!options.lines.empty()) {
        for (const Text &line : options.lines) RunLine(session, line);
        return;
    }
    std::string bytes;
    while (std::getline(std::cin, bytes)) RunLine(session, FromUtf8(bytes));
}

}  // namespace

int main(int argc, char **argv) {
    std::vector<Text> args = CollectArguments(argc, argv);
    Options options;
    Text error;
    bool parsed = ParseOptions(args, &options, &error);
    // Even the usage text goes out through the host, so the world comes first.
    if (!PrepareWorld(parsed ? options : Options())) return kExitUsage;
    if (!parsed || options.showUsage) {
        if (!parsed) PrintError(Widen("vhost: ") + error);
        PrintUsage();
        return parsed ? 0 : kExitUsage;
    }
    SetHostVariables(options);
    Session session;
    session.startBuffer = CreateFileW(TEXT("conout$"), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      NULL, OPEN_EXISTING, 0, NULL);
    if (!StartPlugin(options, &session)) return kExitUsage;
    if (session.plugin.initializePlugin() != 0) {
        FinishWorld(options);
        FreeLibrary(session.plugin.module);
        return kExitRefused;
    }
    RunLines(options, &session);
    session.plugin.shutdownPlugin();
    FinishWorld(options);
    FreeLibrary(session.plugin.module);
    return session.lastResult;
}
