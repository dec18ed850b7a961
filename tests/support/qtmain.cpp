#include "testenvironment.h"

#include <QApplication>
#include <gtest/gtest.h>

// Tests of windows and of code that needs an event loop run inside one QApplication.
int main(int argc, char** argv) {
    hoedeck::testing::setTestEnvironment();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
