#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <unistd.h>

namespace hoedeck::testing {

// Every test runs headless, without a sound card, whoever starts it (ctest, a debugger, CI).
inline void setTestEnvironment() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("HOEDECK_AUDIO"))
        qputenv("HOEDECK_AUDIO", "null");
    // The browser view's sandbox refuses to run as root (CI runs as root).
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

} // namespace hoedeck::testing
