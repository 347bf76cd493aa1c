#include "windowbase/MultiAction.h"

#include <QEvent>
#include <QWidget>

MultiAction::MultiAction(QObject* parent) : QAction(parent) {}

MultiAction::MultiAction(const QString& text, QObject* parent) : QAction(text, parent) {}

MultiAction::MultiAction(const QIcon& icon, const QString& text, QObject* parent)
    : QAction(icon, text, parent),
      m_PressedIcon(icon),
      m_DisabledIcon(icon),
      m_HoverIcon(icon),
      m_NormalIcon(icon)
{
}

void MultiAction::SetEnabledWithIcon(bool enabled)
{
    setEnabled(enabled);
    setIcon(enabled ? m_NormalIcon : m_DisabledIcon);
}

void MultiAction::RefreshNormal()
{
    setIcon(m_NormalIcon);
}

bool MultiAction::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_pAssociatedWidget || watched != m_pAssociatedWidget.data() || !event)
        return false;
    const bool latched = isCheckable() && isChecked();
    switch (event->type()) {
    case QEvent::Enter:
        m_pAssociatedWidget->setCursor(Qt::ArrowCursor);
        if (isEnabled())
            setIcon(m_HoverIcon);
        break;
    case QEvent::MouseButtonPress:
    case QEvent::Leave:
        if (isEnabled())
            setIcon(latched ? m_PressedIcon : m_NormalIcon);
        break;
    case QEvent::MouseButtonRelease:
        if (isEnabled())
            setIcon(m_HoverIcon);
        break;
    default:
        break;
    }
    // The button always sees the event too.
    return false;
}
