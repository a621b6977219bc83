// The picker's model: the filter and the views over the scheme list, the
// highlight that follows its scheme, and what the keys do, without a
// console.
#include "picker/picker.h"
#include "support/palette_fixture.h"

namespace {

class PickerModelTest : public PaletteTest {
  protected:
    PickerModel model = {};

    void SetUp() override {
        PaletteTest::SetUp();
        Start();
    }
    void TearDown() override {
        ClosePickerModel(&model);
        PaletteTest::TearDown();
    }

    PickerOutcome Key(WORD virtualKey, WCHAR character = 0, DWORD control = 0, WORD repeat = 1) {
        PickerKey key = {virtualKey, character, control, repeat};
        return PickerHandleKey(&model, &key);
    }
    void Type(const char16_t *text) {
        for (; *text; ++text) Key(0, *text);
    }
    std::u16string Highlighted() {
        const ColorScheme *scheme = PickerHighlighted(&model);
        return scheme ? std::u16string(scheme->name) : u"(none)";
    }
};

TEST_F(PickerModelTest, TheFilterFoldsAccentsAndCaseNeedsEveryWordAndKeepsTheHighlightOnItsScheme) {
    FreeSchemeList();
    AddTestScheme(u"Ice Blue", 0x07, 0x0E, 0x0C);
    AddTestScheme(u"Cr\u00E8me Br\u00FBl\u00E9e", 0x07, 0x0E, 0x0C);
    AddTestScheme(u"Blue Ice Night", 0x07, 0x0E, 0x0C);
    AddTestScheme(u"Solarized", 0x07, 0x0E, 0x0C);
    ASSERT_TRUE(OpenPickerModel(&model, g_schemes, g_schemes->next->next, u"ICE"));
    EXPECT_EQ(model.visibleCount, 2u);
    EXPECT_EQ(Highlighted(), u"Blue Ice Night");  // the scheme in effect, still matching

    Type(u" night");  // both words must appear
    EXPECT_EQ(model.visibleCount, 1u);
    Key(VK_BACK, 0, 0, 6);
    EXPECT_EQ(model.visibleCount, 2u);
    EXPECT_EQ(Highlighted(), u"Blue Ice Night");

    EXPECT_EQ(Key(VK_ESCAPE), PICKER_GOING);  // clears the filter first
    EXPECT_EQ(model.filterLength, 0u);
    Type(u"creme brul");
    EXPECT_EQ(Highlighted(), u"Cr\u00E8me Br\u00FBl\u00E9e");  // not matched before: the first row
    Type(u"x");
    EXPECT_EQ(model.visibleCount, 0u);
    EXPECT_EQ(Key(VK_RETURN), PICKER_GOING);  // nothing to keep
    EXPECT_EQ(Key(0, 0x15), PICKER_GOING);    // Ctrl+U
    EXPECT_EQ(model.visibleCount, 4u);
    EXPECT_EQ(Key(VK_ESCAPE), PICKER_CANCEL);
    EXPECT_EQ(Key('C', 0x03, LEFT_CTRL_PRESSED), PICKER_CANCEL);
    EXPECT_EQ(Key(VK_CANCEL, 0, LEFT_CTRL_PRESSED), PICKER_CANCEL);  // Ctrl+Break
}

TEST_F(PickerModelTest, ViewsCountTheirSchemesAndMovesNeitherWrapNorAllocate) {
    FreeSchemeList();
    for (int n = 0; n < 30; ++n) {
        ColorScheme *scheme =
            AddTestScheme((u"Scheme " + std::u16string(1, char16_t(u'A' + n))).c_str(), 0x07, 0x0E, 0x0C);
        scheme->dark = n % 3 == 0 ? 0 : 1;
    }
    ASSERT_TRUE(OpenPickerModel(&model, g_schemes, nullptr, nullptr));
    PickerSetPageRows(&model, 8);
    EXPECT_EQ(model.viewCounts[PICKER_ALL], 30u);
    EXPECT_EQ(model.viewCounts[PICKER_DARK], 20u);
    EXPECT_EQ(model.viewCounts[PICKER_LIGHT], 10u);

    MemResetCounts();
    Key(VK_UP, 0, 0, 5);
    EXPECT_EQ(model.highlight, 0u);
    Key(VK_DOWN, 0, 0, 50);  // a held key: as many rows, never past the end
    EXPECT_EQ(model.highlight, 29u);
    EXPECT_EQ(model.top, 22u);
    Key(VK_PRIOR);
    EXPECT_EQ(model.highlight, 21u);
    Key(VK_HOME);
    Key('N', 0x0E, RIGHT_CTRL_PRESSED, 3);
    EXPECT_EQ(model.highlight, 3u);
    EXPECT_EQ(Highlighted(), u"Scheme D");
    Key(0x70);  // F1: unused keys change nothing
    EXPECT_EQ(model.highlight, 3u);
    EXPECT_EQ(MemAllocationCount(), 0);

    Key(VK_TAB);  // Dark: "Scheme D" is light, so the first dark one
    EXPECT_EQ(model.view, PICKER_DARK);
    EXPECT_EQ(Highlighted(), u"Scheme B");
    Key(VK_TAB, 0, SHIFT_PRESSED);
    Key(VK_TAB, 0, SHIFT_PRESSED);  // back past All to Light
    EXPECT_EQ(model.view, PICKER_LIGHT);
    EXPECT_EQ(model.visibleCount, 10u);
}

TEST_F(PickerModelTest, CtrlRNeverPicksAnUnreadableSchemeWhileTheViewHasAReadableOne) {
    FreeSchemeList();
    for (int n = 0; n < 6; ++n) AddTestScheme(u"Murky", 0x01, 0x01, 0x01, u"", 0x000000);  // no contrast at all
    AddTestScheme(u"Clear", 0x0F, 0x0F, 0x0F, u"", 0x000000)->palette[15] = 0xFFFFFF;
    AddTestScheme(u"Murky too", 0x01, 0x01, 0x01, u"", 0x000000);
    ASSERT_TRUE(OpenPickerModel(&model, g_schemes, nullptr, nullptr));
    for (int n = 0; n < 20; ++n) {
        Key('R', 0x12, LEFT_CTRL_PRESSED);
        EXPECT_EQ(Highlighted(), u"Clear");
        Key(VK_HOME);
    }
    Type(u"murky");  // only unreadable ones left: any of them
    Key('R', 0x12, LEFT_CTRL_PRESSED);
    EXPECT_NE(Highlighted(), u"(none)");
}

}  // namespace

namespace {

std::u16string RowText(const std::vector<CHAR_INFO> &cells, SHORT columns, SHORT row) {
    std::u16string text;
    for (SHORT x = 0; x < columns; ++x) text.push_back(cells[static_cast<size_t>(row) * columns + x].Char.UnicodeChar);
    return text;
}

TEST_F(PickerModelTest, TheGridShowsViewsRowsSampleAndFilterInTheHighlightedSchemesAttributes) {
    FreeSchemeList();
    AddTestScheme(u"Ice Blue", 0x07, 0x0E, 0x0C, u"dirs:12;exe:10");
    AddTestScheme(u"Smog", 0x17, 0x11, 0x1C)->dark = 0;
    ASSERT_TRUE(OpenPickerModel(&model, g_schemes, g_schemes, nullptr));
    std::vector<CHAR_INFO> cells(60 * 16);
    DrawPicker(&model, cells.data(), 60, 16);
    EXPECT_EQ(RowText(cells, 60, 0).substr(0, 36), u" Vivanta  [All 2]  Dark 1   Light 1 ");
    EXPECT_EQ(RowText(cells, 60, 2).substr(0, 29), u">1* Ice Blue         dark  ! ");
    EXPECT_EQ(cells[2 * 60].Attributes, 0x70);  // the highlight in reverse video
    EXPECT_EQ(RowText(cells, 60, 14), u" Filter: _" + std::u16string(43, u' ') + u"2 of 2 ");
    EXPECT_NE(RowText(cells, 60, 15).find(u"Esc cancel"), std::u16string::npos);

    Type(u"smog");
    DrawPicker(&model, cells.data(), 60, 16);
    EXPECT_EQ(cells[0].Attributes, 0x17);  // Smog's own StdColors
    EXPECT_NE(RowText(cells, 60, 15).find(u"Esc clear"), std::u16string::npos);

    DrawPicker(&model, cells.data(), 59, 16);
    EXPECT_EQ(RowText(cells, 59, 0).substr(0, 33), u"Make the window at least 60 x 16 ");
}

}  // namespace
