#pragma once

// The main function of the window's test programs. Like QTEST_MAIN, but a
// program started without QT_QPA_PLATFORM runs on the offscreen platform, so it
// needs no display and behaves the same under ctest and when run by hand. Set
// QT_QPA_PLATFORM (e.g. to xcb under Xvfb) to run the tests on another platform.

#include <QApplication>
#include <QTest>

#define VELQUIST_UI_TEST_MAIN(TestClass)                                                           \
    int main(int argc, char* argv[]) {                                                             \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {                                      \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                               \
        }                                                                                          \
        QApplication app(argc, argv);                                                              \
        TestClass test;                                                                            \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
