// The history rows as the user sees them: every row on screen shows its picture at the left and
// the delete button at the right, in the places and states the rows have always used; the rest
// of the row is background, apart from the caption (whose text pixels are not compared).
#include "support/HistoryHost.h"
#include "app/shell/HistoryTreeModel.h"
#include "app/shell/HistoryWindow.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"

#include <QPainter>
#include <QTreeView>
#include "common/TestMain.h"

namespace {

// Whether an area of the shot shows the background with pixmap (if any) drawn over all of it,
// within two levels per channel.
bool Shows(const QImage& shot, const QRect& area, const QPixmap& pixmap, const QColor& background)
{
    QImage expected(area.size(), QImage::Format_ARGB32_Premultiplied);
    expected.fill(background);
    QPainter(&expected).drawPixmap(expected.rect(), pixmap);
    const QImage actual = shot.copy(area);
    for (int y = 0; y < area.height(); ++y)
        for (int x = 0; x < area.width(); ++x) {
            const QRgb p = actual.pixel(x, y), q = expected.pixel(x, y);
            if (std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                          std::abs(qBlue(p) - qBlue(q))}) > 2)
                return false;
        }
    return true;
}

} // namespace

class TestHistoryPicture : public QObject
{
    Q_OBJECT
private slots:
    void rowsShowPictureAndDeleteButtonInPlace_data();
    void rowsShowPictureAndDeleteButtonInPlace();
};

void TestHistoryPicture::rowsShowPictureAndDeleteButtonInPlace_data()
{
    QTest::addColumn<bool>("running");
    QTest::newRow("deletable") << false;
    QTest::newRow("during a run") << true;
}

void TestHistoryPicture::rowsShowPictureAndDeleteButtonInPlace()
{
    QFETCH(bool, running);
    CHistoryTestHost host;
    CDataManager data;
    CHistoryWindow window(&host, Qt::SubWindow);
    // Runs of three series of different sensors; one series derived from another.
    for (int r = 0; r < 4; ++r) {
        CDataFolder* folder = data.CreateDataFolder();
        for (int s = 0; s < 3; ++s) {
            const int sensor = r == 3 ? SensorIndexOnlineFunction : 1 + s;
            const int key = data.CreateDataBranch(sensor, 0.1, s, 0, folder->m_Key);
            data.GetDataBranch(key)->m_Name = QStringLiteral("Series %1").arg(s);
            folder->AddBranchKey(key);
        }
    }
    const int source = data.GetDataFolderByIndex(1)->GetBranchKey(0);
    data.AddChildBranch(data.CreateDataBranch(SensorIndexDerivedFunction, 0.1, -1, -1, source), source);
    window.SetDataManager(&data);
    window.initWindow();
    window.Restore(true);
    host.resize(420, 600);
    window.setGeometry(0, 0, 370, 600);
    host.show();
    window.show();
    QTreeView* view = window.treeView();
    if (running) {
        data.CreateDataFolder();
        emit host.m_Hub.LoggerStartedRun();
    }
    view->expandAll();
    QTest::qWait(50);
    // No current row: its highlight is no part of the rows' own picture.
    view->selectionModel()->clearCurrentIndex();
    const QImage shot = view->viewport()->grab().toImage();
    const QColor background = view->viewport()->palette().color(QPalette::Base);
    const QPixmap button = window.deleteIcon().pixmap(22, running ? QIcon::Disabled : QIcon::Normal);
    int rows = 0;
    for (QModelIndex index = view->indexAt(QPoint(1, 1)); index.isValid(); index = view->indexBelow(index)) {
        const QRect row = view->visualRect(index);
        if (row.bottom() >= shot.height())
            break;
        ++rows;
        const int key = window.model()->data(index, Qt::EditRole).toInt();
        QPixmap picture;
        if (const CDataFolder* folder = data.GetDataFolder(key))
            picture = QPixmap(folder->GetIconName());
        else if (const CDataBranch* branch = data.GetDataBranch(key))
            picture = GetSensorIcon(branch->m_SensorIndex, branch->m_IconVariant, data.GetSensorCatalogue());
        const QByteArray where = QByteArray("row of key ") + QByteArray::number(key);
        QCOMPARE(row.height(), 28);
        // The 24-pixel picture two pixels in; the delete button a 24-pixel square two pixels
        // from the right, its picture one pixel inside it; above, below and around: background.
        QVERIFY2(Shows(shot, QRect(row.left() + 2, row.top() + 2, 24, 24), picture, background), where);
        QVERIFY2(Shows(shot, QRect(row.right() - 24, row.top() + 3, 22, 22), button, background), where);
        for (const QRect& plain :
             {QRect(row.left(), row.top(), row.width(), 2), QRect(row.left(), row.bottom() - 1, row.width(), 2),
              QRect(row.left() + 26, row.top() + 2, 2, 24), QRect(row.right() - 1, row.top() + 2, 2, 24)})
            QVERIFY2(Shows(shot, plain, QPixmap(), background), where);
    }
    // Four runs, their twelve series and the derived one (and the run under way) fit in 600 pixels.
    QCOMPARE(rows, running ? 18 : 17);
}

KORVANTA_TEST_MAIN(TestHistoryPicture)
#include "tst_history_picture.moc"
