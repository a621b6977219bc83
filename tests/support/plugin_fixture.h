// Every plugin test starts from a fresh machine, a fresh host and a freshly
// attached plugin, with the host's output captured.
#pragma once

#include <gtest/gtest.h>
#include <sim.h>

#include <string>

#include "entry/entry.h"
#include "host_control.h"
#include "plugin/host.h"

// The module file name the attached plugin reports.
extern const char16_t TEST_MODULE_PATH[];

std::u16string HostOutput(int stream);
// `text` with %VERSION% and %BUILD% replaced by the product's version and
// build, so that a release changes CMakeLists.txt and no test.
std::u16string Versioned(std::u16string text);
std::u16string HostOptionValue(const std::u16string &name);
std::u16string HostCommandLog();
std::u16string HostIpcLog();

class PluginTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    std::u16string Out() const { return HostOutput(1); }
    std::u16string Err() const { return HostOutput(2); }
    // Starts the plugin and clears what start-up printed.
    void StartPlugin();
    // Reads the host version as start-up does, from a %_4ver of `version`.
    static void UseHost(const char16_t *version) {
        HostCtlSetVariable(u"_4ver", version);
        ReadHostVersion();
    }

    bool started_ = false;
};

// Readable failure messages for UTF-16 strings.
std::string Narrow(const std::u16string &text);
