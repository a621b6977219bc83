// Splitting the command's text into arguments.
#include <string>
#include <vector>

#include "command/command.h"
#include "support/plugin_fixture.h"

namespace {

using SplitTest = PluginTest;

std::vector<std::u16string> Split(const std::u16string &text) {
    std::vector<std::u16string> arguments;
    int count = SplitArguments(text.c_str());
    for (int i = 0; i < count; ++i) {
        std::u16string argument = g_argumentList.arguments[i];
        EXPECT_EQ(static_cast<size_t>(g_argumentList.lengths[i]), argument.size());
        arguments.push_back(argument);
    }
    return arguments;
}

typedef std::vector<std::u16string> Args;

TEST_F(SplitTest, OptionsSeparateAndTheFirstOtherArgumentTakesTheLine) {
    EXPECT_EQ(Split(u""), Args{});
    EXPECT_EQ(Split(u" \t "), Args{});
    EXPECT_EQ(Split(u"/Q Marianas Trench"), (Args{u"/Q", u"Marianas Trench"}));
    EXPECT_EQ(Split(u"Marianas Trench /Q"), Args{u"Marianas Trench /Q"});
    EXPECT_EQ(Split(u"  /Q\t/V   Ice  Palace   "), (Args{u"/Q", u"/V", u"Ice  Palace"}));
    // Quotes are dropped wherever they are; one left open ends with the text.
    EXPECT_EQ(Split(u"/F:\"my schemes.ini\" /Q"), (Args{u"/F:my schemes.ini", u"/Q"}));
    EXPECT_EQ(Split(u"\"/Q\"ice"), Args{u"/Qice"});
    EXPECT_EQ(Split(u"/F:\"a b"), Args{u"/F:a b"});
    EXPECT_EQ(Split(u"/F:\"\" /Q"), (Args{u"/F:", u"/Q"}));
    // Windows' white space, not only the ASCII blank.
    EXPECT_EQ(Split(u"/Q\u3000/D"), (Args{u"/Q", u"/D"}));
}

TEST_F(SplitTest, ASlashInsideAnOptionStartsTheNextOne) {
    EXPECT_EQ(Split(u"/D/Q"), (Args{u"/D", u"/Q"}));
    EXPECT_EQ(Split(u"/F:c:/tools/vivanta.ini"), (Args{u"/F:c:", u"/tools", u"/vivanta.ini"}));
    EXPECT_EQ(Split(u"\"/F:c:/tools/vivanta.ini\""), Args{u"/F:c:/tools/vivanta.ini"});
    EXPECT_EQ(Split(u"/F:file://server/share/a.ini /Q"), (Args{u"/F:file://server/share/a.ini", u"/Q"}));
    // A colon after something other than a letter does not protect.
    EXPECT_EQ(Split(u"/F:1://x/y"), (Args{u"/F:1:", u"//x", u"/y"}));
    // A scheme argument is never split.
    EXPECT_EQ(Split(u"/Q a/b/c"), (Args{u"/Q", u"a/b/c"}));
}

TEST_F(SplitTest, TheBufferHoldsOneArgumentOf8191Characters) {
    std::u16string fits(8191, u'x');
    EXPECT_EQ(Split(fits), Args{fits});
    EXPECT_EQ(Err(), u"");

    std::u16string tooLong(8192, u'x');
    EXPECT_EQ(SplitArguments(tooLong.c_str()), -1);
    EXPECT_EQ(Err(), u"Vivanta plugin: Buffer overflow: b = 8191, MAX_ARG_LEN = 8192 \r\n");
    EXPECT_EQ(g_argumentList.count, 0);
}

TEST_F(SplitTest, TerminatorsCountAgainstTheBuffer) {
    // "/Q" and its terminator take three positions each.
    std::u16string text;
    for (int i = 0; i < 1000; ++i) text += u"/Q ";
    text += std::u16string(8191 - 3000, u'x');
    EXPECT_EQ(SplitArguments(text.c_str()), 1001);
    EXPECT_EQ(SplitArguments((text + u"x").c_str()), -1);
}

TEST_F(SplitTest, ArgumentsAfterThe1024thAreDropped) {
    std::u16string text;
    for (int i = 0; i < 1100; ++i) text += u"/Q ";
    EXPECT_EQ(SplitArguments(text.c_str()), 1024);
    EXPECT_EQ(Err(), u"");
    // Dropped text is not stored, so it cannot overflow the buffer either.
    text += std::u16string(9000, u'x');
    EXPECT_EQ(SplitArguments(text.c_str()), 1024);
}

}  // namespace
