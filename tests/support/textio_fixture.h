// Text I/O tests: a fresh machine and plugin, a directory of their own for
// the files they read and write, and checks that nothing was left behind.
#pragma once

#include <string>
#include <vector>

#include "base/base.h"
#include "support/plugin_fixture.h"
#include "support/test_directory.h"
#include "textio/textio.h"

class TextioTest : public PluginTest, protected TestDirectory {
  protected:
    void SetUp() override {
        PluginTest::SetUp();
        CreateTestDirectory("vivanta_textio");
        liveBlocks_ = MemLiveCount();
    }
    void TearDown() override {
        RemoveTestDirectory();
        PluginTest::TearDown();
    }

    // Nothing open, nothing mapped, nothing allocated, no temporary file.
    void ExpectNothingHeld() {
        EXPECT_EQ(sim::OpenHandleCount(), 0);
        EXPECT_EQ(sim::MappedViewCount(), 0);
        EXPECT_EQ(MemLiveCount(), liveBlocks_);
        EXPECT_TRUE(Entries(sim::TempDirectory()).empty());
        EXPECT_FALSE(sim::IsClipboardOpen());
    }

    static void ExpectEmptyRecord(const TextSource &source) {
        EXPECT_EQ(source.data, nullptr);
        EXPECT_EQ(source.name, nullptr);
        EXPECT_EQ(source.tempPath, nullptr);
        EXPECT_EQ(source.file, nullptr);
        EXPECT_EQ(source.mapping, nullptr);
        EXPECT_EQ(source.size, 0u);
    }

    // Every line of an open source.
    static std::vector<std::u16string> Lines(TextSource *source, DWORD flags = 0) {
        std::vector<std::u16string> lines;
        WCHAR buffer[LINE_BUFFER_SIZE];
        while (ReadLine(source, buffer, flags)) lines.push_back(buffer);
        return lines;
    }

    long liveBlocks_ = 0;
};

// ASCII (or UTF-8 without non-ASCII) text as UTF-16.
inline std::u16string Widen(const std::string &text) {
    return std::u16string(text.begin(), text.end());
}

// UTF-16 little-endian bytes of `text`.
inline std::string Utf16LeBytes(const std::u16string &text) {
    std::string bytes;
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}
