#include "table/NotesWindow.h"
#include "windowbase/DeferredIcon.h"

#include "windowbase/ChildWindowHost.h"
#include "windowbase/Prompter.h"
#include "table/NotesRecord.h"
#include "ui_NotesWindow.h"

#include <QColorDialog>
#include <QDataStream>
#include <QFontDatabase>
#include <QHash>

#include "windowbase/Fonts.h"
#include <QIcon>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSignalBlocker>
#include <QTextCharFormat>

namespace {
const char* const s_TextColorImage = ":/images/notes/foreground-color_normal.png";
const char* const s_BackgroundImage = ":/images/notes/background-color_normal.png";
const char* const s_Sizes[] = {"8", "9", "10", "11", "12", "14", "16", "18", "20", "22", "24", "26", "28", "36", "48", "72"};
const char* const s_AlignmentIcons[] = {":/images/notes/Align-left_normal.png", ":/images/notes/Align-center_normal.png",
                                        ":/images/notes/Align-right_normal.png"};

// Decoded once: every notes window paints its buttons from the same few pictures.
QImage Image(const char* path)
{
    static QHash<const char*, QImage> s_Decoded;
    auto it = s_Decoded.constFind(path);
    if (it == s_Decoded.constEnd())
        it = s_Decoded.insert(path, QImage(QString::fromLatin1(path)));
    return *it;
}
} // namespace

cnoteswindow::cnoteswindow(QWidget* parent, Qt::WindowFlags flags)
    : CKorvantaWindow(parent, flags), m_pUi(new Ui::cnoteswindow)
{
    QWidget* inner = new QWidget(this);
    m_pUi->setupUi(inner);
    setWidget(inner);
    setWindowTitle(tr("Notes"));
}

cnoteswindow::~cnoteswindow()
{
    delete m_pUi;
}

int cnoteswindow::AlignmentForIndex(int index)
{
    switch (index) {
    case 0:
        return Qt::AlignLeft;
    case 1:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    case 2:
        return Qt::AlignRight;
    default:
        return 0;
    }
}

void cnoteswindow::initWindow()
{
    setAttribute(Qt::WA_DeleteOnClose);
    m_pUi->textEdit->setAcceptDrops(false);
    setWindowIcon(KorvantaIcons::Deferred(QStringLiteral(":/images/transperentIcon.png")));

    const QStringList families = QFontDatabase().families();
    m_pUi->cb_fontFamilies->addItems(families);
    // "Arial" when installed, else its packaged metric twin, never the first family of the list.
    const int start = m_pUi->cb_fontFamilies->findText(KorvantaFonts::Choose(families, QStringLiteral("Arial")));
    if (start >= 0)
        m_pUi->cb_fontFamilies->setCurrentIndex(start);
    // The size box shows two digits: it leaves the row's room to the family box, wide enough
    // for a name such as "Liberation Sans" (a longer one shows whole in the list and in the
    // tool tip).
    QComboBox* familyBox = m_pUi->cb_fontFamilies;
    m_pUi->cb_fontSize->setMaximumWidth(m_pUi->cb_fontSize->fontMetrics().horizontalAdvance(QStringLiteral("00")) + 34);
    m_pUi->layoutCombos->setSpacing(4);
    m_pUi->layoutCombos->setContentsMargins(6, 6, 6, 6);
    familyBox->setToolTip(familyBox->currentText());
    connect(familyBox, &QComboBox::currentTextChanged, familyBox, &QComboBox::setToolTip);
    for (const char* size : s_Sizes)
        m_pUi->cb_fontSize->addItem(QString::fromLatin1(size));
    m_pUi->cb_fontSize->setCurrentText(QStringLiteral("12"));
    for (const char* icon : s_AlignmentIcons)
        m_pUi->cb_textAlignment->addItem(KorvantaIcons::Deferred(QString::fromLatin1(icon)), QString());
    m_pUi->cb_textAlignment->setCurrentIndex(0);

    m_TextColor = QColor(Qt::black);
    m_BackgroundColor = QColor(Qt::transparent);
    m_Alignment = Qt::AlignLeft;
    setToChosenTextAttributes();

    m_pUi->btn_printPreview->setIcon([] {
        QIcon icon = KorvantaIcons::Deferred(QStringLiteral(":/images/table/Print_normal.png"));
        icon.addFile(QStringLiteral(":/images/table/Print_disable.png"), QSize(), QIcon::Disabled);
        icon.addFile(QStringLiteral(":/images/table/Print_Rollover.png"), QSize(), QIcon::Active);
        icon.addFile(QStringLiteral(":/images/table/Print_press.png"), QSize(), QIcon::Selected);
        return icon;
    }());

    connect(m_pUi->textEdit, &QTextEdit::textChanged, this, &cnoteswindow::onTextChanged);
    connect(m_pUi->cb_fontFamilies, &QComboBox::textActivated, this,
            &cnoteswindow::on_cb_fontFamilies_activated);
    connect(m_pUi->cb_fontSize, &QComboBox::textActivated, this,
            &cnoteswindow::on_cb_fontSize_activated);
    // The style buttons show the text at the cursor; showing it formats nothing.
    connect(m_pUi->textEdit, &QTextEdit::currentCharFormatChanged, this, [this](const QTextCharFormat& format) {
        const QSignalBlocker bold(m_pUi->btn_bold), italic(m_pUi->btn_italic), underline(m_pUi->btn_underlined);
        m_pUi->btn_bold->setChecked(format.fontWeight() > QFont::Normal);
        m_pUi->btn_italic->setChecked(format.fontItalic());
        m_pUi->btn_underlined->setChecked(format.fontUnderline());
    });
    connect(m_pUi->btn_bold, &QPushButton::toggled, this, &cnoteswindow::on_btn_bold_toggled);
    connect(m_pUi->btn_italic, &QPushButton::toggled, this, &cnoteswindow::on_btn_italic_toggled);
    connect(m_pUi->btn_underlined, &QPushButton::toggled, this, &cnoteswindow::on_btn_underlined_toggled);
    connect(m_pUi->cb_textAlignment, QOverload<int>::of(&QComboBox::activated), this,
            &cnoteswindow::on_cb_textAlignment_activated);
    connect(m_pUi->btn_textColor, &QPushButton::clicked, this, &cnoteswindow::on_btn_textColor_clicked);
    connect(m_pUi->btn_textBackgroundColor, &QPushButton::clicked, this,
            &cnoteswindow::on_btn_textBackgroundColor_clicked);
    connect(m_pUi->btn_printPreview, &QPushButton::clicked, this, &cnoteswindow::on_btn_printPreview_clicked);

    setBtnTextColorImage(Image(s_TextColorImage));
    setBtnBackgourndTextColorImage(Image(s_BackgroundImage));
}

void cnoteswindow::SetText(QString& text)
{
    if (Qt::mightBeRichText(text))
        m_pUi->textEdit->setHtml(text);
    else
        m_pUi->textEdit->setPlainText(text);
}

void cnoteswindow::setToChosenTextAttributes()
{
    QTextEdit* edit = m_pUi->textEdit;
    m_bApplying = true;
    edit->setFontFamily(m_pUi->cb_fontFamilies->currentText());
    edit->setFocus();
    edit->setFontPointSize(m_pUi->cb_fontSize->currentText().toInt());
    edit->setFocus();
    edit->setFontWeight(m_pUi->btn_bold->isChecked() ? 75 : 50);
    edit->setFocus();
    edit->setFontItalic(m_pUi->btn_italic->isChecked());
    edit->setFocus();
    edit->setFontUnderline(m_pUi->btn_underlined->isChecked());
    edit->setFocus();
    edit->setTextBackgroundColor(m_BackgroundColor.isValid() ? m_BackgroundColor : QColor(Qt::transparent));
    edit->setTextColor(m_TextColor.isValid() ? m_TextColor : QColor(Qt::black));
    // An alignment already in place is not set again: setting it is an edit of its own, which
    // would stand between the user's last edit and Undo.
    if (edit->alignment() != Qt::Alignment(m_Alignment))
        edit->setAlignment(Qt::Alignment(m_Alignment));
    m_bApplying = false;
}

QImage cnoteswindow::drawBackgroundColorForImage(QImage image, QColor colour, QRect rect)
{
    QImage result(image.size(), QImage::Format_ARGB32_Premultiplied);
    result.fill(Qt::transparent);
    if (rect.width() == -1)
        rect.setRight(rect.left() + image.width() - 1);
    if (rect.height() == -1)
        rect.setBottom(rect.top() + image.height() - 1);
    QPainter painter(&result);
    if (rect.width() > 0 && rect.height() > 0) {
        QImage patch(rect.size(), QImage::Format_ARGB32_Premultiplied);
        patch.fill(colour);
        painter.drawImage(rect.topLeft(), patch);
    }
    painter.drawImage(0, 0, image);
    painter.end();
    return result;
}

void cnoteswindow::setBtnTextColorImage(QImage image)
{
    const QImage icon = drawBackgroundColorForImage(image, m_TextColor, QRect(QPoint(7, 7), QPoint(17, 17)));
    m_pUi->btn_textColor->setIcon(QIcon(QPixmap::fromImage(icon)));
}

void cnoteswindow::setBtnBackgourndTextColorImage(QImage image)
{
    const QImage icon = drawBackgroundColorForImage(image, m_BackgroundColor, QRect(QPoint(12, 12), QPoint(22, 22)));
    m_pUi->btn_textBackgroundColor->setIcon(QIcon(QPixmap::fromImage(icon)));
}

void cnoteswindow::on_cb_fontFamilies_activated(QString fontFamily)
{
    m_pUi->textEdit->setFontFamily(fontFamily);
    m_pUi->textEdit->setFocus();
}

void cnoteswindow::on_cb_fontSize_activated(QString s_fontSize)
{
    const int size = s_fontSize.toInt();
    if (size > 0)
        m_pUi->textEdit->setFontPointSize(size);
    m_pUi->textEdit->setFocus();
}

void cnoteswindow::on_btn_bold_toggled(bool checked)
{
    m_pUi->textEdit->setFontWeight(checked ? 75 : 50);
    m_pUi->textEdit->setFocus();
}

void cnoteswindow::on_btn_italic_toggled(bool checked)
{
    m_pUi->textEdit->setFontItalic(checked);
    m_pUi->textEdit->setFocus();
}

void cnoteswindow::on_btn_underlined_toggled(bool checked)
{
    m_pUi->textEdit->setFontUnderline(checked);
    m_pUi->textEdit->setFocus();
}

QColor cnoteswindow::askColor(const QColor& initial)
{
    QColorDialog dialog(initial, this);
    IPrompter* prompter = m_pHost ? m_pHost->GetPrompter() : ShellPrompter();
    if (!prompter || prompter->runDialog(&dialog) != QDialog::Accepted)
        return QColor();
    return dialog.currentColor();
}

void cnoteswindow::on_btn_textColor_clicked()
{
    const QColor colour = askColor(m_pUi->textEdit->textColor());
    if (colour.isValid()) {
        m_pUi->textEdit->setTextColor(colour);
        m_TextColor = colour;
        setBtnTextColorImage(Image(s_TextColorImage));
    }
    m_pUi->textEdit->setFocus();
}

void cnoteswindow::on_btn_textBackgroundColor_clicked()
{
    const QColor colour = askColor(m_pUi->textEdit->textBackgroundColor());
    if (colour.isValid()) {
        m_pUi->textEdit->setTextBackgroundColor(colour);
        m_BackgroundColor = colour;
        setBtnBackgourndTextColorImage(Image(s_BackgroundImage));
    }
    m_pUi->textEdit->setFocus();
}

void cnoteswindow::on_cb_textAlignment_activated(int index)
{
    const int alignment = AlignmentForIndex(index);
    if (!alignment)
        return;
    m_pUi->textEdit->setAlignment(Qt::Alignment(alignment));
    m_Alignment = alignment;
    m_pUi->textEdit->setFocus();
}

void cnoteswindow::onNotesPrintPreview()
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    IPrompter* prompter = m_pHost ? m_pHost->GetPrompter() : ShellPrompter();
    if (prompter && prompter->runDialog(&dialog) == QDialog::Accepted)
        on_print(&printer);
}

void cnoteswindow::on_print(QPrinter* printer)
{
    if (printer)
        m_pUi->textEdit->document()->print(printer);
}

void cnoteswindow::on_btn_printPreview_clicked()
{
    onNotesPrintPreview();
}

void cnoteswindow::onTextChanged()
{
    if (m_bApplying)
        return;
    if (m_pUi->textEdit->toPlainText().isEmpty())
        setToChosenTextAttributes();
    notifyHasNewDataToSave();
}

void cnoteswindow::cut() { m_pUi->textEdit->cut(); }
void cnoteswindow::copy() { m_pUi->textEdit->copy(); }
void cnoteswindow::paste() { m_pUi->textEdit->paste(); }
void cnoteswindow::undo() { m_pUi->textEdit->undo(); }
void cnoteswindow::redo() { m_pUi->textEdit->redo(); }

int cnoteswindow::saveToFile(QDataStream* stream)
{
    if (!stream)
        return -2;
    CKorvantaWindow::saveToFile(stream);
    CNotesRecord record;
    record.html = m_pUi->textEdit->toHtml();
    record.fontFamily = m_pUi->cb_fontFamilies->currentText();
    record.fontSize = m_pUi->cb_fontSize->currentText();
    record.bold = m_pUi->btn_bold->isChecked();
    record.italic = m_pUi->btn_italic->isChecked();
    record.underline = m_pUi->btn_underlined->isChecked();
    record.textColor = m_TextColor;
    record.background = m_BackgroundColor;
    record.alignmentIndex = m_pUi->cb_textAlignment->currentIndex();
    WriteNotesFields(*stream, record);
    return 0;
}

int cnoteswindow::loadFromFile(QDataStream* stream)
{
    if (!stream)
        return CNotesRecord::Truncated;
    CNotesRecord record;
    const int result = ReadNotesRecord(*stream, record, [this](QDataStream* s) {
        return CKorvantaWindow::loadFromFile(s);
    });
    if (result != CNotesRecord::Ok)
        return result;
    applyRecord(record);
    setToChosenTextAttributes();
    setBtnTextColorImage(Image(s_TextColorImage));
    setBtnBackgourndTextColorImage(Image(s_BackgroundImage));
    return 0;
}

void cnoteswindow::applyRecord(const CNotesRecord& r)
{
    if (r.hasHtml)
        m_pUi->textEdit->setHtml(r.html);
    if (r.hasFontFamily) {
        const int at = m_pUi->cb_fontFamilies->findText(r.fontFamily);
        if (at >= 0)
            m_pUi->cb_fontFamilies->setCurrentIndex(at);
    }
    if (r.hasFontSize) {
        const int at = m_pUi->cb_fontSize->findText(r.fontSize);
        if (at >= 0)
            m_pUi->cb_fontSize->setCurrentIndex(at);
    }
    if (r.hasBold)
        m_pUi->btn_bold->setChecked(r.bold);
    if (r.hasItalic)
        m_pUi->btn_italic->setChecked(r.italic);
    if (r.hasUnderline)
        m_pUi->btn_underlined->setChecked(r.underline);
    if (r.hasTextColor)
        m_TextColor = r.textColor;
    if (r.hasBackground)
        m_BackgroundColor = r.background.isValid() ? r.background : QColor(Qt::transparent);
    if (r.hasAlignment) {
        const int alignment = AlignmentForIndex(r.alignmentIndex);
        if (alignment) {
            m_pUi->cb_textAlignment->setCurrentIndex(r.alignmentIndex);
            m_pUi->textEdit->setAlignment(Qt::Alignment(alignment));
            m_Alignment = alignment;
        }
        m_pUi->textEdit->setFocus();
    }
}
