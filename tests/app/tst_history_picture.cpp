// The history rows as the user sees them: every row on screen shows its picture at the left and
// the delete button at the right, in the places and states the rows have always used; the rest
// of the row is background, apart from the caption (whose text pixels are not compared).
#include "app/base/ChildWindowHost.h"
#include "app/shell/HistoryTreeModel.h"
#include "app/shell/HistoryWindow.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"

#include <QPainter>
#include <QTreeView>
#include "common/TestMain.h"

namespace {

class CPictureHost : public QWidget, public IChildWindowHost
{
public:
    bool AlignToGrid() const override { return false; }
    CKorvantaSignals* GetSignals() const override { return const_cast<CKorvantaSignals*>(&m_Hub); }
    CKorvantaSignals m_Hub;
};

// How a pixmap looks drawn into a side x side square over the background.
QImage Composed(const QPixmap& pixmap, int side, const QColor& background)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(background);
    QPainter painter(&image);
    painter.drawPixmap(QRect(0, 0, side, side), pixmap);
    return image;
}

// The largest difference of one colour channel between two equally sized pictures.
int Difference(const QImage& a, const QImage& b)
{
    int worst = a.size() == b.size() ? 0 : 255;
    for (int y = 0; y < a.height() && worst < 255; ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q))});
        }
    return worst;
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
    CPictureHost host;
    CDataManager data;
    CHistoryWindow window(&host, Qt::SubWindow);
    // Runs of three series of different sensors; one series derived from another.
    for (int r = 0; r < 4; ++r) {
        CDataFolder* folder = data.CreateDataFolder();
        for (int s = 0; s < 3; ++s) {
            const int key = data.CreateDataBranch(r == 3 ? SensorIndexOnlineFunction : 1 + s, 0.1, s, 0, folder->m_Key);
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
    const QIcon& deleteIcon = window.deleteIcon();
    int rows = 0;
    for (QModelIndex index = view->indexAt(QPoint(1, 1)); index.isValid(); index = view->indexBelow(index)) {
        const QRect row = view->visualRect(index);
        if (row.top() >= shot.height())
            break;
        if (row.bottom() >= shot.height())
            continue;
        ++rows;
        const int key = window.model()->data(index, Qt::EditRole).toInt();
        QPixmap picture;
        if (const CDataFolder* folder = data.GetDataFolder(key))
            picture = QPixmap(folder->GetIconName());
        else if (const CDataBranch* branch = data.GetDataBranch(key))
            picture = GetSensorIcon(branch->m_SensorIndex, branch->m_IconVariant, data.GetSensorCatalogue());
        const QString where = QStringLiteral("row of key %1").arg(key);
        const int side = 24;
        QCOMPARE(row.height(), side + 4);
        const QRect pictureArea(row.left() + 2, row.top() + 2, side, side);
        QVERIFY2(Difference(shot.copy(pictureArea), Composed(picture, side, background)) <= 2, qPrintable(where));
        // The delete button: a square of the picture's size at the right, its picture one pixel
        // inside the square.
        const QRect buttonArea(row.right() + 1 - 2 - side + 1, row.top() + 3, side - 2, side - 2);
        const QPixmap button = deleteIcon.pixmap(side - 2, running ? QIcon::Disabled : QIcon::Normal);
        QVERIFY2(Difference(shot.copy(buttonArea), Composed(button, side - 2, background)) <= 2, qPrintable(where));
        // Above and below both, and between picture and caption: background.
        const QImage plain(row.width(), 2, QImage::Format_ARGB32_Premultiplied);
        QImage expected = plain;
        expected.fill(background);
        QVERIFY2(Difference(shot.copy(row.left(), row.top(), row.width(), 2), expected) <= 2, qPrintable(where));
        QVERIFY2(Difference(shot.copy(row.left(), row.bottom() - 1, row.width(), 2), expected) <= 2, qPrintable(where));
        expected = QImage(2, side, QImage::Format_ARGB32_Premultiplied);
        expected.fill(background);
        QVERIFY2(Difference(shot.copy(row.left() + 2 + side, row.top() + 2, 2, side), expected) <= 2, qPrintable(where));
        QVERIFY2(Difference(shot.copy(row.right() - 1, row.top() + 2, 2, side), expected) <= 2, qPrintable(where));
    }
    // Four runs, their twelve series and the derived one (and the run under way) fit in 600 pixels.
    QCOMPARE(rows, running ? 18 : 17);
}

KORVANTA_TEST_MAIN(TestHistoryPicture)
#include "tst_history_picture.moc"
