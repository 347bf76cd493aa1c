#pragma once
// The test classes of one folder are built into one program (one link of the big libraries
// instead of one per class). Each file ends with KORVANTA_TEST_MAIN (or the GUI-less form) where
// a QtTest program would end with QTEST_MAIN; the program runs the class its first argument
// names (tst_NAME.cpp -> NAME) with the remaining arguments, exactly as QTEST_MAIN would run it:
// the same application class, chosen by the same Qt modules, and the same program name.
#include "common/TestRegistration.h"

#include <QtTest>

namespace KorvantaTest {

// What QTEST_MAIN does once it has the arguments.
template <class Application, class TestObject>
int Run(int argc, char** argv, const char* file)
{
    QTest::Internal::callInitMain<TestObject>();
    Application app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
#ifdef QTEST_DISABLE_KEYPAD_NAVIGATION
    QTEST_DISABLE_KEYPAD_NAVIGATION
#endif
    TestObject tc;
#ifdef QT_TESTCASE_BUILDDIR
    QTest::setMainSourcePath(file, QT_TESTCASE_BUILDDIR);
#else
    QTest::setMainSourcePath(file);
#endif
    return QTest::qExec(&tc, argc, argv);
}

} // namespace KorvantaTest

#if defined(QT_WIDGETS_LIB)
#define KORVANTA_TEST_APPLICATION QApplication
#elif defined(QT_GUI_LIB)
#define KORVANTA_TEST_APPLICATION QGuiApplication
#else
#define KORVANTA_TEST_APPLICATION QCoreApplication
#endif

// The registration's name is numbered: test files compiled together in one translation unit
// (a unity build) each register their own class.
#define KORVANTA_TEST_CONCAT2(a, b) a##b
#define KORVANTA_TEST_CONCAT(a, b) KORVANTA_TEST_CONCAT2(a, b)
#define KORVANTA_TEST_MAIN_WITH(Application, TestObject)                                     \
    static const KorvantaTest::Registration KORVANTA_TEST_CONCAT(korvantaTestRegistration,    \
                                                                 __COUNTER__)(                \
        __FILE__, [](int argc, char** argv) {                                                  \
            return KorvantaTest::Run<Application, TestObject>(argc, argv, __FILE__);           \
        });

// QTEST_MAIN: the application class of the Qt modules the program links.
#define KORVANTA_TEST_MAIN(TestObject) KORVANTA_TEST_MAIN_WITH(KORVANTA_TEST_APPLICATION, TestObject)
// QTEST_GUILESS_MAIN: a core application whatever the program links.
#define KORVANTA_TEST_GUILESS_MAIN(TestObject) KORVANTA_TEST_MAIN_WITH(QCoreApplication, TestObject)
