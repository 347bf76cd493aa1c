#pragma once
// The small dialog of a table's Print command: all rows with data, or a range of lines
// (counted from 1, both ends included), printed or previewed.
#include <QDialog>

class QGroupBox;
class QIntValidator;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class Dialog_printTable : public QDialog
{
    Q_OBJECT
public:
    explicit Dialog_printTable(QWidget* parent = nullptr);

    void setPrintLineValidatorLimits(int first, int last);
    int getFromLineToPrint() const;
    int getToLineToPrint() const;

    QRadioButton* allButton() const { return m_pAll; }
    QRadioButton* linesButton() const { return m_pLines; }
    QLineEdit* fromEdit() const { return m_pFrom; }
    QLineEdit* toEdit() const { return m_pTo; }
    QPushButton* printButton() const { return m_pPrint; }
    QPushButton* previewButton() const { return m_pPreview; }

signals:
    void btnPrintClicked();
    void btnPrintPreviewClicked();

public slots:
    void on_RB_printLines_toggled(bool checked);
    void on_LE_fromLine_editingFinished();
    void on_LE_toLine_editingFinished();
    void on_btn_cancel_clicked();
    void on_btn_preview_clicked();
    void on_btn_print_clicked();

private:
    int m_FromLine = 0;
    int m_FirstLine = 0;
    int m_ToLine = 0;
    int m_LastLine = 0;
    QGroupBox* m_pGroup = nullptr;
    QRadioButton* m_pAll = nullptr;
    QRadioButton* m_pLines = nullptr;
    QLineEdit* m_pFrom = nullptr;
    QLabel* m_pToLabel = nullptr;
    QLineEdit* m_pTo = nullptr;
    QPushButton* m_pPrint = nullptr;
    QPushButton* m_pPreview = nullptr;
    QPushButton* m_pCancel = nullptr;
    QIntValidator* m_pValidator = nullptr;
};
