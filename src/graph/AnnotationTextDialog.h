#pragma once
// The small modal dialog in which the text of a graph annotation is typed, for a new
// annotation or to change an existing one.
#include <QDialog>
#include <QString>

class QDialogButtonBox;
class QLabel;
class QTextEdit;

class CAddAnnotationDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CAddAnnotationDialog(QWidget* parent = nullptr);
    void SetEditText(const QString& text);
    void init() {}
    // The plain text of the edit box when the dialog was accepted; empty before.
    QString text;

    QLabel* m_pLabel = nullptr;
    QTextEdit* m_pEdit = nullptr;
    QDialogButtonBox* m_pButtons = nullptr;

public slots:
    void accept() override;
};
