#include "help1.h"
#include "tempdatafolder.h"

#include <QSignalSpy>
#include <QWebEngineView>
#include <gtest/gtest.h>

using namespace hoedeck;
using hoedeck::testing::TempDataFolder;

TEST(HelpWindow, MakesItsBrowserViewOnFirstShowAndLoadsTheManual) {
    TempDataFolder data;
    data.write("manual/manual.html",
               "<html><head><title>Hoedeck Manual</title></head><body>Space plays.</body></html>");
    HelpWindow help;
    EXPECT_EQ(help.view(), nullptr); // nothing of the browser exists before it is needed

    help.showPage(data.path("manual/manual.html"));
    ASSERT_NE(help.view(), nullptr);
    QSignalSpy loaded(help.view(), &QWebEngineView::loadFinished);
    ASSERT_TRUE(loaded.wait(30000));
    EXPECT_TRUE(loaded.first().value(0).toBool());
    EXPECT_EQ(help.view()->title(), "Hoedeck Manual");
    EXPECT_TRUE(help.isVisible());
}
