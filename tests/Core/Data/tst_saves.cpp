// Saving the settings file and the sensor definitions file when the disk is full or the folder
// read-only: the save reports failure and the old file stays byte for byte; a definitions file
// that was refused on reading is not overwritten when the table goes away.
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include "common/TestMain.h"

#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include "Core/Data/CheckedSaveFile.h"
#include "Core/Data/SensorDefinitions.h"
#include "Core/Data/Settings.h"

namespace {

const char* const kDefinitions = "Defined Sensors.ds";

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// A small tmpfs of its own, so it can be filled without touching anything else. Needs the
// right to mount; without it the tests that use it skip.
class CSmallDisk
{
public:
    explicit CSmallDisk(const QString& where) : m_Path(where)
    {
        m_Mounted = ::mount("tmpfs", QFile::encodeName(where).constData(), "tmpfs", 0, "size=64k,mode=0777") == 0;
        if (!m_Mounted)
            m_Why = QString::fromLocal8Bit(strerror(errno));
    }
    ~CSmallDisk()
    {
        if (m_Mounted)
            ::umount2(QFile::encodeName(m_Path).constData(), MNT_DETACH);
    }
    bool mounted() const { return m_Mounted; }
    QString why() const { return m_Why; }

    // Writes a filler file until not one more byte fits.
    bool fill() const
    {
        const QByteArray path = QFile::encodeName(m_Path + "/filler");
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0)
            return false;
        const QByteArray page(4096, 'f');
        while (::write(fd, page.constData(), size_t(page.size())) > 0) {
        }
        while (::write(fd, "f", 1) > 0) {
        }
        const bool full = errno == ENOSPC;
        ::close(fd);
        return full;
    }
    // Makes the mounted disk read-only.
    bool makeReadOnly() const
    {
        return ::mount(nullptr, QFile::encodeName(m_Path).constData(), nullptr, MS_REMOUNT | MS_RDONLY,
                       "size=64k") == 0;
    }

private:
    QString m_Path;
    bool m_Mounted = false;
    QString m_Why;
};

// One of the two files: how to save it with some content, and the content to change to.
struct Saver
{
    QString fileName;
    // Saves with variant v (0 or 1) of the content; returns what Save returned.
    std::function<bool(const QString& folder, int v)> save;
};

bool SaveSettings(const QString& folder, int v)
{
    CSettings s(folder + "/KV4Settings.ini");
    s.SetSensorInfoIndex(3, v == 0 ? 12 : 40);
    s.SetMeasurementActive(5, 7, v != 0);
    return s.SaveSettings();
}

bool SaveDefinitions(const QString& folder, int v)
{
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder);
    bool ok = false;
    {
        CSensorsDefinition d;  // reads the file, or writes the defaults when there is none
        QString name = QStringLiteral("Probe %1").arg(v);
        QString unit = QStringLiteral("kPa");
        d.SetSensorInfo(0, name, unit, 1, 4, 10, 60 + v);
        ok = d.Save();
    }
    QDir::setCurrent(previous);
    return ok;
}

QList<Saver> Savers()
{
    return {{QStringLiteral("KV4Settings.ini"), SaveSettings}, {QString::fromLatin1(kDefinitions), SaveDefinitions}};
}

} // namespace

class TestSaves : public QObject
{
    Q_OBJECT

private slots:
    void fullDiskKeepsTheOldFile();
    void readOnlyFolderKeepsTheOldFile();
    void checkedWriteReportsAMissingFolder();
    void settingsTextReadsBackThroughQSettings();
    void refusedDefinitionsAreNotOverwrittenOnExit_data();
    void refusedDefinitionsAreNotOverwrittenOnExit();
    void refusedDefinitionsChangedByTheUserAreSaved();
    void closestFractionMatchesTheFullSearch();
};

void TestSaves::fullDiskKeepsTheOldFile()
{
    for (const Saver& saver : Savers()) {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        CSmallDisk disk(dir.path());
        if (!disk.mounted())
            QSKIP(qPrintable("no tmpfs could be mounted here (" + disk.why() + "); the full-disk save is not tested"));
        QVERIFY(saver.save(dir.path(), 0));
        const QString path = dir.path() + "/" + saver.fileName;
        const QByteArray before = ReadAll(path);
        QVERIFY(!before.isEmpty());
        QVERIFY(disk.fill());
        QVERIFY2(!saver.save(dir.path(), 1), qPrintable(saver.fileName));
        QCOMPARE(ReadAll(path), before);
        // No half-written temporary file is left behind either.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
        // Once there is room again the same save goes through.
        QVERIFY(QFile::remove(dir.path() + "/filler"));
        QVERIFY(saver.save(dir.path(), 1));
        QVERIFY(ReadAll(path) != before);
    }
}

void TestSaves::readOnlyFolderKeepsTheOldFile()
{
    for (const Saver& saver : Savers()) {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.path() + "/" + saver.fileName;
        std::unique_ptr<CSmallDisk> disk;
        if (::geteuid() == 0) {
            // Permissions do not stop the superuser: a read-only mount does.
            disk.reset(new CSmallDisk(dir.path()));
            if (!disk->mounted())
                QSKIP(qPrintable("running as root without the right to mount (" + disk->why() +
                                 "); the read-only folder is not tested"));
        }
        QVERIFY(saver.save(dir.path(), 0));
        const QByteArray before = ReadAll(path);
        if (disk)
            QVERIFY(disk->makeReadOnly());
        else
            QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0555) == 0);
        QVERIFY2(!saver.save(dir.path(), 1), qPrintable(saver.fileName));
        QCOMPARE(ReadAll(path), before);
        if (!disk)
            ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    }
}

void TestSaves::checkedWriteReportsAMissingFolder()
{
    QTemporaryDir dir;
    QString why;
    QVERIFY(!CheckedSave::WriteWholeFile(dir.path() + "/no/such/folder/f", "x", &why));
    QVERIFY(!why.isEmpty());
    QVERIFY(CheckedSave::WriteWholeFile(dir.path() + "/f", QByteArray(100000, 'a'), &why));
    QCOMPARE(ReadAll(dir.path() + "/f"), QByteArray(100000, 'a'));
    // An empty content is a valid, empty file.
    QVERIFY(CheckedSave::WriteWholeFile(dir.path() + "/f", QByteArray(), &why));
    QCOMPARE(QFileInfo(dir.path() + "/f").size(), 0);
}

void TestSaves::settingsTextReadsBackThroughQSettings()
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/KV4Settings.ini";
    CSettings s(path);
    s.SetSensorInfoIndex(0, 148);
    s.SetSensorInfoIndex(13, 7);
    s.SetMeasurementActive(13, 19, true);
    s.SetMeasurementActive(0, 0, false);
    QVERIFY(s.SaveSettings());
    QSettings raw(path, QSettings::IniFormat);
    QCOMPARE(raw.status(), QSettings::NoError);
    QCOMPARE(raw.value("Version").toDouble(), 1.0);
    QCOMPARE(raw.value("channel0/SensorInfoIndex").toInt(), 148);
    QCOMPARE(raw.value("channel13/SensorInfoIndex").toInt(), 7);
    QCOMPARE(raw.value("channel13/Measurement19Active").toBool(), true);
    QCOMPARE(raw.value("channel0/Measurement0Active").toBool(), false);
    QCOMPARE(raw.value("channel4/Measurement0Active").toBool(), true);
    // 1 version key and 14 groups of 21 keys, nothing else.
    QCOMPARE(raw.allKeys().size(), 1 + 14 * 21);
}

void TestSaves::refusedDefinitionsAreNotOverwrittenOnExit_data()
{
    QTest::addColumn<QByteArray>("content");
    QByteArray good;
    {
        QTemporaryDir dir;
        const QString previous = QDir::currentPath();
        QDir::setCurrent(dir.path());
        { CSensorsDefinition d; }
        good = ReadAll(kDefinitions);
        QDir::setCurrent(previous);
    }
    QVERIFY(good.size() > 100);
    QTest::newRow("truncated") << good.left(good.size() / 2);
    QByteArray damaged = good;
    damaged[2] = char(0x7f);  // the header's length runs far past the end
    QTest::newRow("damaged") << damaged;
    QTest::newRow("too large") << good + QByteArray(int(CSensorsDefinition::s_MaxFileSize), '\0');
    QByteArray older = good;
    const int at = older.indexOf(QByteArray("1\0.\0" "2", 5));
    QVERIFY(at > 0);
    older[at + 4] = '1';  // version 1.1: entries of another layout
    QTest::newRow("older version") << older;
    QTest::newRow("foreign") << QByteArray("not a definitions file at all");
}

void TestSaves::refusedDefinitionsAreNotOverwrittenOnExit()
{
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    QVERIFY(WriteAll(kDefinitions, content));
    {
        CSensorsDefinition d;
        QVERIFY(!d.MaySaveOnExit());
    }
    QCOMPARE(ReadAll(kDefinitions), content);
    QDir::setCurrent(previous);
}

void TestSaves::refusedDefinitionsChangedByTheUserAreSaved()
{
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    QVERIFY(WriteAll(kDefinitions, "damaged"));
    {
        CSensorsDefinition d;
        QVERIFY(d.AddNewSensor(QStringLiteral("Mine")));
        QVERIFY(d.MaySaveOnExit());
    }
    {
        // It saves again when it goes, so it must go while the temporary folder is current.
        CSensorsDefinition again;
        QVERIFY(again.MaySaveOnExit());
        QCOMPARE(again.GetSensorName(again.GetTotalNewDefinedSensors() - 1), QStringLiteral("Mine"));
    }
    QDir::setCurrent(previous);
}

void TestSaves::closestFractionMatchesTheFullSearch()
{
    auto full = [](double target, int& m, int& d) {
        int bm = 1, bd = 1;
        double best = std::fabs(target - 1.0);
        for (int a = 1; a <= 255; ++a)
            for (int b = 1; b <= 255; ++b) {
                const double e = std::fabs(target - double(a) / double(b));
                if (e < best) {
                    best = e;
                    bm = a;
                    bd = b;
                }
            }
        m = bm;
        d = bd;
    };
    QVector<double> targets = {0.0, 1.0 / 255, 1.0 / 254.5, 0.5, 1.0, 2.0 / 3, 254.5, 255.0, 255.4, 300.0,
                               1e-9, -3.0, 1e17, 0.33333333333, 128.0 / 255, 3.0 / 7 + 1e-12};
    for (int i = 0; i < 400; ++i)
        targets << std::pow(10.0, -3.0 + 6.0 * i / 400.0);
    for (double t : targets) {
        int m1 = 0, d1 = 0, m2 = 0, d2 = 0;
        CSensorsDefinition::FindClosestMulDiv(t, m1, d1);
        full(t, m2, d2);
        QVERIFY2(m1 == m2 && d1 == d2, qPrintable(QString("%1: %2/%3 against %4/%5").arg(t).arg(m1).arg(d1).arg(m2).arg(d2)));
    }
}

KORVANTA_TEST_GUILESS_MAIN(TestSaves)
#include "tst_saves.moc"
