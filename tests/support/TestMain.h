#pragma once

#include <QtTest/qtest.h>

// Several Qt Test classes share one executable per test folder, so that each
// folder's tests compile against one precompiled header and link once. Each
// class registers itself here; the executable runs the class named by its
// first argument (CTest passes it), with the remaining arguments going to
// QTest as usual. An executable holding one class runs it without the name.
//
// TESSALY_TEST_MAIN and TESSALY_TEST_GUILESS_MAIN stand where QTEST_MAIN and
// QTEST_GUILESS_MAIN would, and set up the same application object.
namespace TestMain {

using Runner = int (*)(int argc, char **argv);

// Returns true; registering one name twice aborts, as it would run the wrong class.
bool add(const char *className, Runner runner);

} // namespace TestMain

#define TESSALY_TEST_RUNNER(TestObject, ...)                                                                \
    static int tessalyRun##TestObject(int argc, char **argv)                                               \
    {                                                                                                       \
        QT_PREPEND_NAMESPACE(QTest::Internal::callInitMain)<TestObject>();                                 \
        __VA_ARGS__                                                                                         \
        TestObject tc;                                                                                      \
        QTEST_SET_MAIN_SOURCE_PATH                                                                          \
        return QTest::qExec(&tc, argc, argv);                                                               \
    }                                                                                                       \
    [[maybe_unused]] static const bool tessalyRegistered##TestObject =                                     \
        TestMain::add(#TestObject, &tessalyRun##TestObject);

#define TESSALY_TEST_MAIN(TestObject) TESSALY_TEST_RUNNER(TestObject, QTEST_MAIN_SETUP())
#define TESSALY_TEST_GUILESS_MAIN(TestObject) TESSALY_TEST_RUNNER(TestObject, QTEST_QAPP_SETUP(QCoreApplication))
