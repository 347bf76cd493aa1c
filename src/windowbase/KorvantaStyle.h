#pragma once
// The application's style: the platform's own, with its standard icons made once. Qt's styles
// read a standard icon's picture files on every request, and every child window asks for
// several while it is built (its title bar's buttons and its menu icon).
#include <QHash>
#include <QIcon>
#include <QProxyStyle>

class CKorvantaStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;
    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr, const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;

private:
    mutable QHash<int, QIcon> m_Icons;
};
