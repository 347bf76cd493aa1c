// A sanitizer's report in a child process's error output, or an exit only a sanitizer makes,
// fails the test that ran the child; a child that ends cleanly, whatever else it wrote, does not.
#include <QProcess>
#include "common/ChildReports.h"
#include "common/TestMain.h"

class TestChildReports : public QObject
{
    Q_OBJECT
private slots:
    void reportsAreFound_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("found");
        QTest::newRow("clean") << "echo 'korvanta-sim: unknown sensor' >&2; exit 2" << "";
        QTest::newRow("thread") << "echo 'WARNING: ThreadSanitizer: data race (pid=7)' >&2; exit 66"
                                << "WARNING: ThreadSanitizer: data race (pid=7)\n"
                                   "the child ended with the sanitizer's exit code\n";
        QTest::newRow("exit code alone") << "exit 66" << "the child ended with the sanitizer's exit code\n";
        QTest::newRow("address") << "echo '==3==ERROR: AddressSanitizer: heap-use-after-free' >&2; kill -ABRT $$"
                                 << "==3==ERROR: AddressSanitizer: heap-use-after-free\nthe child crashed\n";
        QTest::newRow("undefined") << "echo 'Frames.cpp:12:5: runtime error: shift exponent 40' >&2"
                                   << "Frames.cpp:12:5: runtime error: shift exponent 40\n";
    }
    void reportsAreFound()
    {
        QFETCH(QString, script);
        QFETCH(QString, found);
        QProcess child;
        child.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script});
        QVERIFY(child.waitForFinished(10000));
        QCOMPARE(KorvantaTest::SanitizerReports(child, child.readAllStandardError()), found);
    }
};

KORVANTA_TEST_GUILESS_MAIN(TestChildReports)
#include "tst_child_reports.moc"
