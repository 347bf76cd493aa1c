#include "windowbase/DialogKeys.h"

#include <QDialog>
#include <QEvent>
#include <QPointer>
#include <QPushButton>

namespace {
void settle(QDialog* dialog, QPushButton* accepting)
{
    for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
        if (button == accepting)
            continue;
        // An auto-default button becomes the default while it has the focus, and the dialog
        // makes the first one the default when it has none: either way Return would press it.
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    if (accepting) {
        accepting->setAutoDefault(true);
        accepting->setDefault(true);
    }
}

// Settles the buttons again as the dialog shows: a button box names its own default when it
// shows, and a page may have made buttons since.
class CReturnKeeper : public QObject
{
public:
    static constexpr const char* s_Name = "DialogKeys_ReturnKeeper";
    CReturnKeeper(QDialog* dialog, QPushButton* accepting) : QObject(dialog), m_pAccepting(accepting)
    {
        setObjectName(QString::fromLatin1(s_Name));
        dialog->installEventFilter(this);
    }
    void setAccepting(QPushButton* accepting) { m_pAccepting = accepting; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            if (auto* dialog = qobject_cast<QDialog*>(watched))
                settle(dialog, m_pAccepting);
        return QObject::eventFilter(watched, event);
    }

private:
    QPointer<QPushButton> m_pAccepting;
};
} // namespace

void DialogKeys::AcceptOnReturn(QDialog* dialog, QPushButton* accepting)
{
    if (!dialog)
        return;
    auto* keeper = dynamic_cast<CReturnKeeper*>(
        dialog->findChild<QObject*>(QString::fromLatin1(CReturnKeeper::s_Name), Qt::FindDirectChildrenOnly));
    if (keeper)
        keeper->setAccepting(accepting);
    else
        new CReturnKeeper(dialog, accepting);
    settle(dialog, accepting);
}
