#include "windowbase/Fonts.h"

#include <QApplication>
#include <QFont>

namespace KorvantaFonts {

QStringList SansFamilies()
{
    return {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")};
}

void Install()
{
    static bool s_Done = false;
    if (s_Done)
        return;
    s_Done = true;
    for (const char* name : {"Arial", "Helvetica", "Helvetica [Cronyx]", "Sans Serif", "MS Shell Dlg 2"})
        QFont::insertSubstitutions(QString::fromLatin1(name), SansFamilies());
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
        QFont font = QApplication::font();
        font.setFamily(QStringLiteral("DejaVu Sans"));
        QApplication::setFont(font);
    }
}

QString Choose(const QStringList& available, const QString& wanted)
{
    if (available.contains(wanted))
        return wanted;
    for (const QString& family : SansFamilies())
        if (available.contains(family))
            return family;
    return QString();
}

} // namespace KorvantaFonts
