#include "Core/Logic/Transport/PortNumber.h"

int PortNumberOfName(const QString& name)
{
    QString digits = name;
    digits.remove(QStringLiteral("com"), Qt::CaseInsensitive);
    bool ok = false;
    const int number = digits.toInt(&ok, 10);
    return ok ? number : 0;
}
