#pragma once

#include <QApplication>
#include <QTest>

// Pictures are decoded by this build's decoder process.
void useBuiltDecoder();

// Readies the running application as the program readies its own (Qt's texts in Japanese, the
// substitute fonts and the interface font), with pictures decoded by this build's decoder.
void readyTestApplication();

// A test class's static initMain(), where it has one.
template <typename TestClass> void callInitMain()
{
    if constexpr (requires { TestClass::initMain(); })
        TestClass::initMain();
}

// The main of a test of widgets: QTEST_MAIN with the application readied as the program's. A
// test class's static initMain() runs first, before the application exists.
#define TYPORAMA_TEST_MAIN(TestClass)                                                              \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        callInitMain<TestClass>();                                                                 \
        QApplication app(argc, argv);                                                              \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        readyTestApplication();                                                                    \
        TestClass test;                                                                            \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
