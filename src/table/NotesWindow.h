#pragma once
// The notes window: a rich-text editor for notes about an experiment, with font, size, style,
// colour and alignment controls and printing. The notes are kept in the workspace file as HTML
// together with the chosen formatting, which is also what the editor falls back to whenever
// all its text has been deleted.
#include "windowbase/KorvantaWindow.h"

#include <QColor>
#include <QImage>

class QPrinter;
class QRect;
struct CNotesRecord;
namespace Ui {
class cnoteswindow;
}

class cnoteswindow : public CKorvantaWindow
{
    Q_OBJECT
public:
    cnoteswindow(QWidget* parent, Qt::WindowFlags flags);
    ~cnoteswindow() override;

    void initWindow() override;
    int saveToFile(QDataStream* stream) override;
    int loadFromFile(QDataStream* stream) override;

    void SetText(QString& text);
    void setToChosenTextAttributes();
    void setBtnTextColorImage(QImage image);
    void setBtnBackgourndTextColorImage(QImage image);
    static QImage drawBackgroundColorForImage(QImage image, QColor colour, QRect rect);

    void cut();
    void copy();
    void paste();
    void undo();
    void redo();

    QColor chosenTextColor() const { return m_TextColor; }
    QColor chosenBackgroundColor() const { return m_BackgroundColor; }
    int chosenAlignment() const { return m_Alignment; }
    // The alignment flags of an entry of the alignment list; 0 for an index outside it.
    static int AlignmentForIndex(int index);

private slots:
    void on_cb_fontFamilies_activated(QString fontFamily);
    void on_cb_fontSize_activated(QString s_fontSize);
    void on_btn_bold_toggled(bool checked);
    void on_btn_italic_toggled(bool checked);
    void on_btn_underlined_toggled(bool checked);
    void on_btn_textColor_clicked();
    void on_btn_textBackgroundColor_clicked();
    void on_cb_textAlignment_activated(int index);
    void onNotesPrintPreview();
    void on_print(QPrinter* printer);
    void on_btn_printPreview_clicked();
    void onTextChanged();

private:
    // Asks for a colour starting from initial; invalid when the user cancels.
    QColor askColor(const QColor& initial);
    void applyRecord(const CNotesRecord& record);

    Ui::cnoteswindow* m_pUi = nullptr;
    QColor m_TextColor;
    QColor m_BackgroundColor;
    int m_Alignment = Qt::AlignLeft;
    // Set while the chosen attributes are applied, so applying them is no change to save.
    bool m_bApplying = false;
};
