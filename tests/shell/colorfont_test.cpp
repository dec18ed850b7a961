#include "colortext.h"
#include "fonttext.h"

#include <QStringList>

#include <gtest/gtest.h>

using namespace hoedeck;

TEST(ColorText, EveryNameRoundTrips) {
    const QStringList names = {"clBlack",
                               "clMaroon",
                               "clGreen",
                               "clOlive",
                               "clNavy",
                               "clPurple",
                               "clTeal",
                               "clGray",
                               "clSilver",
                               "clRed",
                               "clLime",
                               "clYellow",
                               "clBlue",
                               "clFuchsia",
                               "clAqua",
                               "clWhite",
                               "clMoneyGreen",
                               "clSkyBlue",
                               "clCream",
                               "clMedGray",
                               "clScrollBar",
                               "clBackground",
                               "clActiveCaption",
                               "clInactiveCaption",
                               "clMenu",
                               "clWindow",
                               "clWindowFrame",
                               "clMenuText",
                               "clWindowText",
                               "clCaptionText",
                               "clActiveBorder",
                               "clInactiveBorder",
                               "clAppWorkSpace",
                               "clHighlight",
                               "clHighlightText",
                               "clBtnFace",
                               "clBtnShadow",
                               "clGrayText",
                               "clBtnText",
                               "clInactiveCaptionText",
                               "clBtnHighlight",
                               "cl3DDkShadow",
                               "cl3DLight",
                               "clInfoText",
                               "clInfoBk",
                               "clGradientActiveCaption",
                               "clGradientInactiveCaption",
                               "clNone",
                               "clDefault"};
    ASSERT_EQ(names.size(), 49);
    for (const QString& name : names) {
        const auto value = colorFromText(name);
        ASSERT_TRUE(value) << name.toStdString();
        EXPECT_EQ(colorToText(*value), name);
    }
    EXPECT_EQ(*colorFromText("clTeal"), 0x808000u);
    EXPECT_EQ(*colorFromText("clMaroon"), 0x000080u);
    EXPECT_EQ(*colorFromText("clSkyBlue"), 0xF0CAA6u);
    EXPECT_EQ(*colorFromText("cl3DLight"), 0x80000016u);
    EXPECT_EQ(*colorFromText("clGradientInactiveCaption"), 0x8000001Cu);
    EXPECT_EQ(*colorFromText("clNone"), 0x1FFFFFFFu);
    EXPECT_EQ(*colorFromText("clDefault"), 0x20000000u);
}

TEST(ColorText, NumbersAndOddInputs) {
    EXPECT_EQ(colorToText(0x0080FFFF), "$0080FFFF");
    EXPECT_EQ(colorToText(0x00123abc), "$00123ABC");
    EXPECT_EQ(*colorFromText("$0080FFFF"), 0x0080FFFFu);
    EXPECT_EQ(*colorFromText("$0080ffff"), 0x0080FFFFu);
    EXPECT_EQ(*colorFromText("0x00FF00"), 0x00FF00u);
    EXPECT_EQ(*colorFromText("clteal"), 0x808000u); // names ignore case
    EXPECT_EQ(*colorFromText(" clRed "), 0x0000FFu);
    EXPECT_EQ(*colorFromText("8421376"), 0x808000u);     // a decimal number
    EXPECT_EQ(*colorFromText("-16777201"), 0xFF00000Fu); // a negative one, as its bit pattern
    // A value with a name is written by its name.
    EXPECT_EQ(colorToText(0x808000), "clTeal");

    for (const char* bad :
         {"", "  ", "$", "$-1", "teal", "clTeal2", "$1FFFFFFFF", "12abc", "4294967296"})
        EXPECT_FALSE(colorFromText(bad)) << bad;
}

TEST(FontText, RoundTripsAndReadsTheDefault) {
    const auto font = fontFromText("\"Arial\", 10, [], [cl3DLight]");
    ASSERT_TRUE(font);
    EXPECT_EQ(font->name, "Arial");
    EXPECT_EQ(font->size, 10);
    EXPECT_FALSE(font->bold || font->italic || font->underline || font->strikeout);
    EXPECT_EQ(font->color, color::cl3DLight);

    FontSpec styled;
    styled.name = "DejaVu Sans Mono";
    styled.size = 14;
    styled.bold = styled.italic = true;
    styled.color = 0x0080FFFF;
    EXPECT_EQ(fontToText(styled), "\"DejaVu Sans Mono\", 14, [Bold|Italic], [$0080FFFF]");
    EXPECT_EQ(fontFromText(fontToText(styled)), styled);

    FontSpec all = styled;
    all.underline = all.strikeout = true;
    EXPECT_EQ(fontToText(all), "\"DejaVu Sans Mono\", 14, [Bold|Italic|Underline|Strikeout], "
                               "[$0080FFFF]");
    EXPECT_EQ(fontFromText(fontToText(all)), all);
}

TEST(FontText, OddInputs) {
    // Styles are found anywhere in the field; unknown ones are ignored.
    const auto font = fontFromText("\"Tahoma\", 8, [Italic|Shadow|Bold], [clRed]");
    ASSERT_TRUE(font);
    EXPECT_TRUE(font->bold && font->italic);
    EXPECT_FALSE(font->underline);

    // A name holding place markers stays the name.
    FontSpec percent;
    percent.name = "Odd %0 %1 Font";
    percent.size = -12;
    EXPECT_EQ(fontFromText(fontToText(percent)), percent);

    // A name with a comma cannot be stored: it reads back as something else or not at all.
    FontSpec comma;
    comma.name = "Odd, Font";
    const auto back = fontFromText(fontToText(comma));
    EXPECT_TRUE(!back || back->name != comma.name);

    for (const char* bad : {"", "Arial", "\"Arial\", ten, [], [clRed]",
                            "\"Arial\", 10, [], [noColour]", "\"Arial\", 10", "\"\",,,"})
        EXPECT_FALSE(fontFromText(bad)) << bad;
}
