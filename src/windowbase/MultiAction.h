#pragma once
// An action that carries an integer key and four icons (normal, hover, pressed, disabled) and
// swaps them by itself as the pointer enters, presses and leaves the tool button showing it.
#include <QAction>
#include <QIcon>
#include <QPointer>

typedef int MultiActionKeyType;

class MultiAction : public QAction
{
    Q_OBJECT
public:
    explicit MultiAction(QObject* parent);
    MultiAction(const QString& text, QObject* parent);
    MultiAction(const QIcon& icon, const QString& text, QObject* parent);

    void setKey(MultiActionKeyType key) { m_Key = key; }
    MultiActionKeyType getKey() const { return m_Key; }

    // Storing an icon does not show it; the next pointer event or RefreshNormal does.
    void setNormalIcon(const QIcon& icon) { m_NormalIcon = icon; }
    void setHoverIcon(const QIcon& icon) { m_HoverIcon = icon; }
    void setPressedIcon(const QIcon& icon) { m_PressedIcon = icon; }
    void setDisabledIcon(const QIcon& icon) { m_DisabledIcon = icon; }

    void setAssociatedWidget(QWidget* widget) { m_pAssociatedWidget = widget; }
    QWidget* associatedWidget() const { return m_pAssociatedWidget; }

    void SetEnabledWithIcon(bool enabled);
    void RefreshNormal();

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QIcon m_PressedIcon;
    QIcon m_DisabledIcon;
    QIcon m_HoverIcon;
    QIcon m_NormalIcon;
    // The tool button belongs to its tool bar and may go first.
    QPointer<QWidget> m_pAssociatedWidget;
    MultiActionKeyType m_Key = 0;
};
