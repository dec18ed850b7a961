#include "numbertext.h"

#include <gtest/gtest.h>

using namespace hoedeck::numbertext;

TEST(NumberText, Pictures) {
    EXPECT_EQ(format(183.456, "###.##"), "183.46");
    EXPECT_EQ(format(183.4, "###.##"), "183.4");
    EXPECT_EQ(format(125.0, "###.##"), "125");
    EXPECT_EQ(format(0.0, "###.##"), "");
    EXPECT_EQ(format(0.5, "###.##"), ".5");
    EXPECT_EQ(format(-1.0, "###.##"), "-1");
    EXPECT_EQ(format(-0.001, "###.##"), "");       // rounds to nothing, and no lone minus
    EXPECT_EQ(format(0.125, "###.##"), ".13");     // halves away from zero
    EXPECT_EQ(format(1234.5, "###.##"), "1234.5"); // more digits than the picture shows
    EXPECT_EQ(format(20.00001, "###.####"), "20");
    EXPECT_EQ(format(19.95, "###.####"), "19.95");
    EXPECT_EQ(format(12.345678, "###.####"), "12.3457");
    EXPECT_EQ(format(0.0, "#0.0000"), "0.0000");
    EXPECT_EQ(format(7.5, "#0.0000"), "7.5000");
    EXPECT_EQ(format(183.456, "#0.0000"), "183.4560");
}

TEST(NumberText, GeneralAndParse) {
    EXPECT_EQ(general(183.46 - 15), "168.46"); // the default loop end of a 183.456 s song
    EXPECT_EQ(general(20.0), "20");
    EXPECT_EQ(general(0.1 + 0.2), "0.3");
    EXPECT_EQ(general(124.6), "124.6");
    EXPECT_EQ(general(-2.5), "-2.5");

    EXPECT_EQ(parse("168.46"), 168.46);
    EXPECT_EQ(parse("168,46"), 168.46); // a ',' is a '.'
    EXPECT_EQ(parse(" 15 "), 15.0);
    EXPECT_FALSE(parse(""));
    EXPECT_FALSE(parse("abc"));
    EXPECT_FALSE(parse("1.2.3"));
    EXPECT_FALSE(parse("nan"));
}

TEST(NumberText, TimeText) {
    EXPECT_EQ(SecToTime(3725), "02:05"); // hours dropped
    EXPECT_EQ(SecToTime(59), "00:59");
    EXPECT_EQ(SecToTime(600), "10:00");
    EXPECT_EQ(SecToTime(0), "00:00");
    EXPECT_EQ(SecToTime(-1), "00:00");
    EXPECT_EQ(minutesSeconds(3725), "62:05"); // the total-time labels do not wrap
    EXPECT_EQ(minutesSeconds(183), "03:03");
}
