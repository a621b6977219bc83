// Command and QueryOptionValue: the option command the plugin sends, the
// shapes of it the host must tolerate, and the log of every line.
#include "host_fixture.h"

using HostOptionsTest = HostTest;

namespace {

std::u16string Query(const char16_t *name, int *result) {
    std::vector<WCHAR> buffer(1024, u'#');
    *result = QueryOptionValue(name, buffer.data());
    return std::u16string(buffer.data());
}

}  // namespace

TEST_F(HostOptionsTest, OptionCommandSetsAValueReadBackByAnyCase) {
    EXPECT_EQ(0, Command(u"option //StdColors=31", 0));
    int result = -1;
    EXPECT_EQ(u"31", Query(u"stdcolors", &result));
    EXPECT_EQ(0, result);
}

TEST_F(HostOptionsTest, CommandWordAndBlanksAreTolerated) {
    EXPECT_EQ(0, Command(u"  OPTION   //InputColors=Bright White on Blue  ", 0));
    EXPECT_EQ(0, Command(u"Option\t//ColorDir=DIRS:bright red;*.txt:cyan", 0));
    int result = -1;
    EXPECT_EQ(u"Bright White on Blue", Query(u"InputColors", &result));
    EXPECT_EQ(u"DIRS:bright red;*.txt:cyan", Query(u"ColorDir", &result));
    EXPECT_EQ(0, result);
}

TEST_F(HostOptionsTest, EmptyValueIsKnownButEmpty) {
    EXPECT_EQ(0, Command(u"option //ListColors=", 0));
    int result = -1;
    EXPECT_EQ(u"", Query(u"ListColors", &result));
    EXPECT_EQ(0, result);
}

TEST_F(HostOptionsTest, UnknownOptionEmptiesTheBufferAndFails) {
    int result = 0;
    EXPECT_EQ(u"", Query(u"SelectColors", &result));
    EXPECT_NE(0, result);
}

TEST_F(HostOptionsTest, MalformedAndOtherCommandsFailAndChangeNothing) {
    const char16_t *lines[] = {u"options //StdColors=1",
                               u"option StdColors=1",
                               u"option //StdColors",
                               u"option //=1",
                               u"optio //StdColors=1",
                               u"cls",
                               u""};
    for (const char16_t *line : lines) EXPECT_NE(0, Command(line, 0)) << Narrow(line);
    int result = 0;
    Query(u"StdColors", &result);
    EXPECT_NE(0, result);
}

TEST_F(HostOptionsTest, EveryLineIsLogged) {
    Command(u"option //StdColors=7", 0);
    Command(u"cls", 0);
    Command(nullptr, 0);
    EXPECT_EQ(u"option //StdColors=7\ncls\n\n", ReadBack(HostCtlGetCommandLog));
}

TEST_F(HostOptionsTest, ControlApiSharesTheTableAndResetForgetsIt) {
    HostCtlSetOption(u"ErrorColors", u"12");
    std::vector<WCHAR> buffer(4, 0);
    EXPECT_EQ(2u, HostCtlGetOption(u"errorcolors", buffer.data(), 4));
    EXPECT_EQ(u"12", std::u16string(buffer.data()));
    Command(u"option //ErrorColors=123456", 0);
    EXPECT_EQ(6u, HostCtlGetOption(u"ErrorColors", buffer.data(), 4));
    EXPECT_EQ(u"123", std::u16string(buffer.data()));
    HostCtlReset();
    EXPECT_EQ(0u, HostCtlGetOption(u"ErrorColors", buffer.data(), 4));
    EXPECT_EQ(u"", ReadBack(HostCtlGetCommandLog));
}

TEST_F(HostOptionsTest, LongValuesAreCutToTheBuffer) {
    std::u16string line = u"option //ColorDir=" + std::u16string(3000, u'v');
    EXPECT_EQ(0, Command(line.c_str(), 0));
    int result = -1;
    EXPECT_EQ(std::u16string(1023, u'v'), Query(u"ColorDir", &result));
}
