#pragma once
// A document area that hosts video windows in tests: its own hub, data store and a prompter
// that answers file choosers and records every box.
#include "windowbase/ChildWindowHost.h"
#include "../../common/ScriptedPrompter.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/DataManager.h"
#include "video/VideoAnlysisWindow.h"

#include <QMdiArea>
#include <QPointer>
#include <QStringList>
#include <QTest>

#include <cmath>

// The window point that shows a frame pixel: the inverse of the window's mapping, rounded up so
// that it maps back onto the same pixel.
inline QPoint WindowPointOfFrame(CVideoAnlysisWindow* w, const QPoint& framePoint)
{
    const QRect picture = w->videoArea();
    const QSize frame = w->frameImage.size();
    return picture.topLeft() + QPoint(int(std::ceil(framePoint.x() * double(picture.width()) / frame.width())),
                                      int(std::ceil(framePoint.y() * double(picture.height()) / frame.height())));
}

// A press, one move and a release, as the user drags.
inline void DragOnWindow(QWidget* w, const QPoint& from, const QPoint& to)
{
    QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, from);
    QMouseEvent move(QEvent::MouseMove, to, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &move);
    QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, to);
}

class CVideoHost : public QMdiArea, public IChildWindowHost
{
public:
    CVideoHost()
    {
        resize(1000, 800);
        CVideoAnlysisWindow::CountLoadedRuns(m_Data);
    }
    bool AlignToGrid() const override { return false; }
    CKorvantaSignals* GetSignals() const override { return const_cast<CKorvantaSignals*>(&m_Signals); }
    CDataManager* GetDataManager() const override { return const_cast<CDataManager*>(&m_Data); }
    IPrompter* GetPrompter() const override { return const_cast<CScriptedPrompter*>(&m_Prompter); }
    CKorvantaWindow* GetActiveVideoWindow() const override { return m_pActive; }
    void SetActiveVideoWindow(CKorvantaWindow* w) override { m_pActive = w; }
    void SetLastVideoWindowActive(CKorvantaWindow*) override { m_pActive = nullptr; ++m_Handovers; }
    void HistoryNewFolder() override { ++m_NewFolders; }
    void HistoryRestore(bool) override { ++m_Restores; }

    CKorvantaSignals m_Signals;
    CDataManager m_Data;
    CScriptedPrompter m_Prompter{false};
    QPointer<CKorvantaWindow> m_pActive;
    int m_Handovers = 0;
    int m_NewFolders = 0;
    int m_Restores = 0;
};
