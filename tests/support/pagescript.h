#pragma once

// Reads a browser view's page through its document, as a script in the page sees it.

#include "waiting.h"

#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <gtest/gtest.h>

namespace hoedeck::testing {

inline QString evaluate(QWebEngineView* view, const QString& script) {
    QVariant result;
    bool done = false;
    view->page()->runJavaScript(script, [&](const QVariant& value) {
        result = value;
        done = true;
    });
    EXPECT_TRUE(waitUntil([&] { return done; }, 15000)) << script.toStdString();
    return result.toString();
}

// Waits until the view's document has loaded and passes the check.
inline bool showsLoaded(QWebEngineView* view, const std::function<bool()>& check) {
    return waitUntil([&] { return check() && evaluate(view, "document.readyState") == "complete"; },
                     20000);
}

} // namespace hoedeck::testing
