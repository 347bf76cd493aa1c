#include "windowbase/KorvantaStyle.h"

#include "windowbase/DeferredIcon.h"

#include <QGuiApplication>
#include <QStyleOption>

QIcon CKorvantaStyle::standardIcon(StandardPixmap icon, const QStyleOption* option, const QWidget*) const
{
    // A child window's menu icon is never seen: every window shows its own window icon there.
    if (icon == SP_TitleBarMenuButton)
        return KorvantaIcons::Deferred(QStringLiteral(":/images/transperentIcon.png"));
    // The pictures depend on the icon and the writing direction only.
    const bool rightToLeft = option ? option->direction == Qt::RightToLeft : QGuiApplication::isRightToLeft();
    const int key = int(icon) * 2 + (rightToLeft ? 1 : 0);
    const auto found = m_Icons.constFind(key);
    if (found != m_Icons.constEnd())
        return *found;
    // Made when first drawn: the first picture read with the format left open makes Qt load
    // every image plug-in, which the title bars built at start-up do not need.
    const QIcon made = KorvantaIcons::Deferred([this, icon, rightToLeft] {
        QStyleOption direction;
        direction.direction = rightToLeft ? Qt::RightToLeft : Qt::LeftToRight;
        return QProxyStyle::standardIcon(icon, &direction, nullptr);
    });
    m_Icons.insert(key, made);
    return made;
}

int CKorvantaStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                              QStyleHintReturn* returnData) const
{
    // Dialog buttons say what they do in words. Their pictures would come from the desktop's
    // icon theme, whose index the first box of the session (the logger search's notice) would
    // otherwise read in full.
    if (hint == SH_DialogButtonBox_ButtonsHaveIcons)
        return 0;
    // Alt pressed and released alone takes the keyboard into the menu bar, whichever style
    // draws the windows: Fusion, the style of a plain X session, leaves that out, and a
    // teacher without a mouse at hand would find only the letter keys (Alt+F) and F10.
    if (hint == SH_MenuBar_AltKeyNavigation)
        return 1;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}
