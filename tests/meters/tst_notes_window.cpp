// The notes window: its workspace record (round trip, a background never chosen, damaged and
// partial records), the fall-back to the chosen formatting, the colour buttons and printing to
// PDF.
#include "support/MeterRig.h"
#include "table/NotesRecord.h"
#include "table/NotesWindow.h"

#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include "common/RecordCuts.h"
#include "common/TestMain.h"

#include <QFontDatabase>

namespace {
QByteArray Save(cnoteswindow* window)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_5_1);
    if (window->saveToFile(&out) != 0)
        return QByteArray();
    return bytes;
}

int Load(cnoteswindow* window, const QByteArray& bytes)
{
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_5_1);
    return window->loadFromFile(&in);
}

int CountPdfPages(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray pdf = file.readAll();
    if (!pdf.startsWith("%PDF"))
        return -1;
    return pdf.count("/Type /Page\n") + pdf.count("/Type /Page ") + pdf.count("/Type /Page>") + pdf.count("/Type /Page/");
}
} // namespace

class TestNotesWindow : public QObject
{
    Q_OBJECT

    struct Notes
    {
        cnoteswindow* window;
        explicit Notes(CMeterRig& rig) : window(new cnoteswindow(&rig, Qt::WindowFlags()))
        {
            rig.addSubWindow(window);
            window->initWindow();
        }
        QTextEdit* edit() const { return window->findChild<QTextEdit*>(QStringLiteral("textEdit")); }
        QPushButton* button(const char* name) const { return window->findChild<QPushButton*>(QString::fromLatin1(name)); }
        QComboBox* combo(const char* name) const { return window->findChild<QComboBox*>(QString::fromLatin1(name)); }
    };

private slots:
    void roundTrip()
    {
        CMeterRig rig;
        Notes a(rig);
        a.edit()->setPlainText(QStringLiteral("Pendulum: 20 swings in 31 s"));
        a.button("btn_bold")->setChecked(true);
        a.button("btn_underlined")->setChecked(true);
        a.combo("cb_fontSize")->setCurrentText(QStringLiteral("18"));
        rig.m_Prompter.m_DialogAnswer = [](QDialog* d) {
            static_cast<QColorDialog*>(d)->setCurrentColor(QColor(10, 120, 30));
            return int(QDialog::Accepted);
        };
        a.button("btn_textColor")->click();
        a.combo("cb_textAlignment")->setCurrentIndex(2);
        emit a.combo("cb_textAlignment")->activated(2);
        a.window->setGeometry(20, 40, 300, 260);
        const QByteArray bytes = Save(a.window);
        QVERIFY(!bytes.isEmpty());

        Notes b(rig);
        QCOMPARE(Load(b.window, bytes), 0);
        QCOMPARE(b.edit()->toPlainText(), a.edit()->toPlainText());
        QVERIFY(b.button("btn_bold")->isChecked());
        QVERIFY(!b.button("btn_italic")->isChecked());
        QVERIFY(b.button("btn_underlined")->isChecked());
        QCOMPARE(b.combo("cb_fontSize")->currentText(), QStringLiteral("18"));
        QCOMPARE(b.window->chosenTextColor(), QColor(10, 120, 30));
        QCOMPARE(b.window->chosenAlignment(), int(Qt::AlignRight));
        QCOMPARE(b.combo("cb_textAlignment")->currentIndex(), 2);
        QCOMPARE(b.window->geometry(), QRect(20, 40, 300, 260));
    }

    void recordLayout()
    {
        CMeterRig rig;
        Notes a(rig);
        const QByteArray bytes = Save(a.window);
        QDataStream in(bytes);
        qint16 tag = 0;
        in >> tag;
        QCOMPARE(tag, qint16(1113));
        QString title;
        qint32 v = 0;
        in >> tag >> title;
        QCOMPARE(tag, qint16(1100));
        for (qint16 expected = 1101; expected <= 1104; ++expected) {
            in >> tag >> v;
            QCOMPARE(tag, expected);
        }
        in >> tag;
        QCOMPARE(tag, qint16(1114));
        // The notes fields follow in order, ending with the end tag.
        QList<qint16> tags;
        QString text;
        bool flag = false;
        qint32 n = 0;
        for (;;) {
            in >> tag;
            if (in.status() != QDataStream::Ok)
                break;
            tags << tag;
            if (tag == 1300 || tag == 1301 || tag == 1302)
                in >> text;
            else if (tag >= 1303 && tag <= 1305)
                in >> flag;
            else if (tag == 1306 || tag == 1307)
                in >> n >> n >> n;
            else if (tag == 1308)
                in >> n;
            else if (tag == 1110)
                break;
        }
        QCOMPARE(tags, (QList<qint16>{1300, 1301, 1302, 1303, 1304, 1305, 1306, 1307, 1308, 1110}));
        QVERIFY(in.atEnd());
    }

    void backgroundNeverChosenStaysUnset()
    {
        CMeterRig rig;
        Notes a(rig);
        Notes b(rig);
        QCOMPARE(Load(b.window, Save(a.window)), 0);
        QCOMPARE(b.window->chosenBackgroundColor().alpha(), 0);
        // Typing after the load shows no background behind the text.
        b.edit()->clear();
        b.edit()->insertPlainText(QStringLiteral("x"));
        QCOMPARE(b.edit()->textBackgroundColor().alpha(), 0);
        // Files written earlier carry a bare tag 1309 before the alignment (1308, here made
        // right-aligned, then the end tag): they read the same, the fields after it included.
        const QByteArray saved = Save(a.window);
        const QByteArray older = saved.left(saved.size() - 8) + QByteArray::fromHex("051d051c000000020456");
        Notes c(rig);
        QCOMPARE(Load(c.window, older), 0);
        QCOMPARE(c.window->chosenBackgroundColor().alpha(), 0);
        QCOMPARE(c.combo("cb_textAlignment")->currentIndex(), 2);
    }

    void chosenBackgroundComesBack()
    {
        // Any colour but black, which the record keeps for "never chosen".
        CMeterRig rig;
        Notes a(rig);
        rig.m_Prompter.m_DialogAnswer = [](QDialog* d) {
            static_cast<QColorDialog*>(d)->setCurrentColor(QColor(0, 0, 1));
            return int(QDialog::Accepted);
        };
        a.button("btn_textBackgroundColor")->click();
        Notes b(rig);
        QCOMPARE(Load(b.window, Save(a.window)), 0);
        QCOMPARE(b.window->chosenBackgroundColor(), QColor(0, 0, 1));
    }

    void truncatedRecordsReportMinusFour()
    {
        CMeterRig rig;
        Notes a(rig);
        a.edit()->setPlainText(QStringLiteral("notes"));
        const QByteArray bytes = Save(a.window);
        for (int cut : {0, 1, 2, 30, bytes.size() / 2, bytes.size() - 1}) {
            Notes b(rig);
            QCOMPARE(Load(b.window, bytes.left(cut)), -4);
        }
    }

    void recordCutAtEveryByteKeepsUnreadFields()
    {
        CNotesRecord whole;
        whole.html = QStringLiteral("<p>x</p>");
        whole.fontFamily = QStringLiteral("DejaVu Sans");
        whole.fontSize = QStringLiteral("14");
        whole.bold = whole.underline = true;
        whole.textColor = QColor(10, 20, 30);
        whole.background = QColor(40, 50, 60);
        whole.alignmentIndex = 2;
        QByteArray bytes;
        QDataStream out(&bytes, QIODevice::WriteOnly);
        QVERIFY(WriteNotesFields(out, whole));
        // Starting values none of which a read past the end would give (0, empty, black).
        RecordCuts::CheckEveryCut(bytes, [](QDataStream& in) {
            CNotesRecord r;
            r.html = r.fontFamily = r.fontSize = QStringLiteral("before");
            r.italic = true;
            r.textColor = QColor(1, 2, 3);
            r.background = QColor(4, 5, 6);
            r.alignmentIndex = 7;
            const bool complete = ReadNotesRecord(in, r, nullptr) == CNotesRecord::Ok;
            return RecordCuts::Outcome{complete, {r.html, r.fontFamily, r.fontSize, r.bold, r.italic, r.underline,
                                                  r.textColor, r.background, r.alignmentIndex}};
        });
    }

    void unknownFamilyAndAlignmentLeaveTheControls()
    {
        CMeterRig rig;
        Notes b(rig);
        const QString family = b.combo("cb_fontFamilies")->currentText();
        QByteArray bytes;
        {
            QDataStream out(&bytes, QIODevice::WriteOnly);
            out << qint16(1301) << QStringLiteral("No Such Family 123") << qint16(1308) << qint32(7)
                << qint16(4242) << qint16(1306) << qint32(900) << qint32(-5) << qint32(128) << qint16(1110);
        }
        QCOMPARE(Load(b.window, bytes), 0);
        QCOMPARE(b.combo("cb_fontFamilies")->currentText(), family);
        QCOMPARE(b.combo("cb_textAlignment")->currentIndex(), 0);
        QCOMPARE(b.window->chosenAlignment(), int(Qt::AlignLeft));
        QCOMPARE(b.window->chosenTextColor(), QColor(255, 0, 128));
    }

    void startsInAnInstalledSansFamily()
    {
        // Without Arial the box offers its packaged metric twin, not the first family listed.
        CMeterRig rig;
        Notes b(rig);
        const QString family = b.combo("cb_fontFamilies")->currentText();
        QVERIFY2(QStringList({"Arial", "Liberation Sans", "DejaVu Sans"}).contains(family), qPrintable(family));
        QVERIFY(QFontDatabase().families().contains(family));
    }

    void emptiedTextFallsBackToTheChosenFormat()
    {
        CMeterRig rig;
        Notes n(rig);
        n.edit()->setHtml(QStringLiteral("<p><i><span style=\"font-size:30pt\">big</span></i></p>"));
        n.edit()->selectAll();
        n.edit()->textCursor().removeSelectedText();
        n.edit()->insertPlainText(QStringLiteral("again"));
        QCOMPARE(n.edit()->fontPointSize(), 12.0);
        QVERIFY(!n.edit()->fontItalic());
        QCOMPARE(n.edit()->textColor(), QColor(Qt::black));
    }

    void textChangesMarkUnsavedData()
    {
        CMeterRig rig;
        Notes n(rig);
        const int before = rig.m_SaveNotices;
        n.edit()->insertPlainText(QStringLiteral("a"));
        QVERIFY(rig.m_SaveNotices > before);
    }

    void cancelledColourChangesNothing()
    {
        CMeterRig rig;
        Notes n(rig);
        const QImage icon = n.button("btn_textColor")->icon().pixmap(25, 25).toImage();
        rig.m_Prompter.m_DialogAnswer = [](QDialog*) { return int(QDialog::Rejected); };
        n.button("btn_textColor")->click();
        QCOMPARE(rig.m_Prompter.count("dialog"), 1);
        QCOMPARE(n.window->chosenTextColor(), QColor(Qt::black));
        QCOMPARE(n.button("btn_textColor")->icon().pixmap(25, 25).toImage(), icon);
    }

    void colourButtonIconShowsTheColour()
    {
        const QImage base(QStringLiteral(":/images/notes/foreground-color_normal.png"));
        QVERIFY(!base.isNull());
        const QImage icon = cnoteswindow::drawBackgroundColorForImage(base, QColor(0, 0, 255), QRect(QPoint(7, 7), QPoint(17, 17)));
        QCOMPARE(icon.size(), base.size());
        QCOMPARE(QColor(icon.pixel(12, 12)), QColor(0, 0, 255));
        QCOMPARE(qAlpha(icon.pixel(20, 3)), qAlpha(base.pixel(20, 3)));
        const QImage full = cnoteswindow::drawBackgroundColorForImage(QImage(4, 4, QImage::Format_ARGB32), Qt::red, QRect(0, 0, -1, -1));
        QVERIFY(full.size() == QSize(4, 4));
    }

    void printsToPdf()
    {
        CMeterRig rig;
        Notes n(rig);
        QStringList lines;
        for (int i = 0; i < 200; ++i)
            lines << QStringLiteral("Reading %1: 9.81 m/s²").arg(i);
        n.edit()->setPlainText(lines.join('\n'));
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("notes.pdf"));
        rig.m_Prompter.m_DialogAnswer = [pdf](QDialog* d) {
            QPrinter* printer = static_cast<QPrintDialog*>(d)->printer();
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(pdf);
            return int(QDialog::Accepted);
        };
        n.button("btn_printPreview")->click();
        QVERIFY(CountPdfPages(pdf) > 1);
    }

    void cancelledPrintWritesNothing()
    {
        CMeterRig rig;
        Notes n(rig);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("notes.pdf"));
        rig.m_Prompter.m_DialogAnswer = [pdf](QDialog* d) {
            static_cast<QPrintDialog*>(d)->printer()->setOutputFileName(pdf);
            return int(QDialog::Rejected);
        };
        n.button("btn_printPreview")->click();
        QCOMPARE(rig.m_Prompter.count("dialog"), 1);
        QVERIFY(!QFile::exists(pdf));
    }

    void setTextTakesMarkupOrPlainText()
    {
        CMeterRig rig;
        Notes n(rig);
        QString html = QStringLiteral("<b>bold</b> words");
        n.window->SetText(html);
        QCOMPARE(n.edit()->toPlainText(), QStringLiteral("bold words"));
        QString plain = QStringLiteral("a < b");
        n.window->SetText(plain);
        QCOMPARE(n.edit()->toPlainText(), plain);
    }
};

KORVANTA_TEST_MAIN(TestNotesWindow)
#include "tst_notes_window.moc"
