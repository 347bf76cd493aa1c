#include "windowbase/KorvantaWindow.h"
#include "windowbase/DeferredIcon.h"
#include "Core/Data/RecordIO.h"

#include "Core/Base/KorvantaSignals.h"
#include "windowbase/ChildWindowHost.h"
#include "windowbase/Fonts.h"
#include "windowbase/Prompter.h"

#include <QDataStream>
#include <QIcon>
#include <QMenu>
#include <QMoveEvent>
#include <QResizeEvent>
#include <QTimer>

#include <algorithm>

CKorvantaWindow::CKorvantaWindow(QWidget* parent, Qt::WindowFlags flags)
    : QMdiSubWindow(parent, flags), m_pHost(dynamic_cast<IChildWindowHost*>(parent))
{
    KorvantaFonts::Install();
}

void CKorvantaWindow::initWindow()
{
    // The menu object stays (the title bar's button opens it) but offers nothing.
    if (QMenu* menu = systemMenu())
        menu->clear();
    setWindowIcon(KorvantaIcons::Deferred(QStringLiteral(":/images/transperentIcon.png")));
}

int CKorvantaWindow::GetTitleBarHeight()
{
    return 22;
}

int CKorvantaWindow::saveToFile(QDataStream* stream)
{
    if (!stream)
        return -2;
    QDataStream& s = *stream;
    // A minimised window's geometry is its icon's: stored as such it would come back as a
    // window the size of an icon.
    const QRect g = NormalGeometry();
    const qint32 state = qint32(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized));
    s << qint16(TagStart);
    s << qint16(TagTitle) << windowTitle();
    s << qint16(TagX) << qint32(g.x());
    s << qint16(TagY) << qint32(g.y());
    s << qint16(TagWidth) << qint32(g.width());
    s << qint16(TagHeight) << qint32(g.height());
    if (state != 0)
        s << qint16(TagState) << state;
    s << qint16(TagEnd);
    return s.status() == QDataStream::Ok ? 0 : -2;
}

int CKorvantaWindow::loadFromFile(QDataStream* stream)
{
    if (!stream)
        return -4;
    QDataStream& s = *stream;
    qint32 v[4] = {0, 0, 0, 0}; // x, y, width, height
    for (;;) {
        if (s.atEnd())
            return -4;
        qint16 tag = 0;
        s >> tag;
        if (s.status() != QDataStream::Ok)
            return -4;
        if (tag == TagTitle) {
            QString title;
            RecordIO::ReadString(s, title);
            if (s.status() != QDataStream::Ok)
                return -4;
            setWindowTitle(title);
        } else if (tag >= TagX && tag <= TagHeight) {
            qint32 value = 0;
            s >> value;
            if (s.status() != QDataStream::Ok)
                return -4;
            v[tag - TagX] = value;
        } else if (tag == TagState) {
            qint32 value = 0;
            s >> value;
            if (s.status() != QDataStream::Ok)
                return -4;
            m_StoredState = Qt::WindowStates(value) & (Qt::WindowMinimized | Qt::WindowMaximized);
        } else if (tag == TagEnd) {
            // A damaged or hand-made file must not give an invisible, zero-sized or absurdly
            // far window: bring every field into a range the area can show.
            const int x = std::clamp<qint32>(v[0], -s_MaxWindowExtent, s_MaxWindowExtent);
            const int y = std::clamp<qint32>(v[1], -s_MaxWindowExtent, s_MaxWindowExtent);
            const int w = std::clamp<qint32>(v[2], s_MinWindowSize, s_MaxWindowExtent);
            const int h = std::clamp<qint32>(v[3], s_MinWindowSize, s_MaxWindowExtent);
            setGeometry(x, y, w, h);
            m_NormalGeometry = QRect(x, y, w, h);
            return 0;
        }
        // Any other tag carries no value here: read on with the next tag.
    }
}

void CKorvantaWindow::notifyHasNewDataToSave()
{
    if (m_pHost && m_pHost->GetSignals())
        m_pHost->GetSignals()->SignalHasNewDataToSave();
}

void CKorvantaWindow::ApplyStoredState()
{
    const Qt::WindowStates state = m_StoredState;
    m_StoredState = Qt::WindowNoState;
    if (state & Qt::WindowMinimized) {
        showMinimized();
        // Minimised it lies at the foot of the area, where the windows that stay open (the
        // history) would hide it; the area places it there only once its events have run.
        QTimer::singleShot(0, this, [this] {
            if (isMinimized())
                raise();
        });
    }
    else if (state & Qt::WindowMaximized)
        showMaximized();
}

QRect CKorvantaWindow::NormalGeometry() const
{
    if ((windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)) && m_NormalGeometry.isValid())
        return m_NormalGeometry;
    return geometry();
}

void CKorvantaWindow::noteNormalGeometry()
{
    if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)))
        m_NormalGeometry = geometry();
}

int CKorvantaWindow::SnapSize(int requested, int current)
{
    // Snapping only ever rounds down, and must not take a small window down to nothing: a
    // size under two grid steps is left as the user made it.
    if (requested < s_MinWindowSize)
        return requested;
    int snapped = int(float(requested) / float(s_GridStep) + 0.5f) * s_GridStep;
    if (snapped > current)
        snapped -= s_GridStep;
    return std::max(snapped, s_MinWindowSize);
}

int CKorvantaWindow::SnapPosition(int coordinate)
{
    // Rounds towards minus infinity, so a negative coordinate stays negative.
    const int r = coordinate % s_GridStep;
    return r < 0 ? coordinate - r - s_GridStep : coordinate - r;
}

bool CKorvantaWindow::alignOn() const
{
    return m_pHost && m_pHost->AlignToGrid();
}

void CKorvantaWindow::resizeEvent(QResizeEvent* event)
{
    if (alignOn()) {
        const int w = SnapSize(event->size().width(), width());
        const int h = SnapSize(event->size().height(), height());
        if (w != width() || h != height())
            resize(w, h);
    }
    QMdiSubWindow::resizeEvent(event);
    noteNormalGeometry();
}

void CKorvantaWindow::moveEvent(QMoveEvent* event)
{
    if (alignOn()) {
        const int x = SnapPosition(event->pos().x());
        const int y = SnapPosition(event->pos().y());
        if (x >= 0 && y >= 0 && (x != event->pos().x() || y != event->pos().y()))
            move(x, y);
    }
    QMdiSubWindow::moveEvent(event);
    noteNormalGeometry();
}

IPrompter* IChildWindowHost::GetPrompter() const
{
    return ShellPrompter();
}

void CKorvantaWindow::GetPlotKeys(QList<int>* keys)
{
    if (keys)
        keys->clear();
}
