#include "table/Calculator.h"
#include "windowbase/DeferredIcon.h"

#include "analysis/FormulaParser.h"
#include "ui_Calculator.h"

#include <QIcon>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>

namespace {
// The keys that insert text, and what each inserts; function keys leave the cursor between
// the brackets.
struct InsertionKey
{
    const char* object;
    const char* text;
};
const InsertionKey s_Keys[] = {
    {"btn_digit_0", "0"},     {"btn_digit_1", "1"},       {"btn_digit_2", "2"},         {"btn_digit_3", "3"},
    {"btn_digit_4", "4"},     {"btn_digit_5", "5"},       {"btn_digit_6", "6"},         {"btn_digit_7", "7"},
    {"btn_digit_8", "8"},     {"btn_digit_9", "9"},       {"btn_dot", "."},             {"btn_add", "+"},
    {"btn_subtract", "-"},    {"btn_multiply", "*"},      {"btn_divide", "/"},          {"btn_power", "^"},
    {"btn_leftBracket", "("}, {"btn_rightBracket", ")"},  {"btn_sqrt", "SQRT()"},       {"btn_int", "INT()"},
    {"btn_ln", "LN()"},       {"btn_log", "LOG()"},       {"btn_exp", "EXP()"},         {"btn_factorial", "FACT()"},
    {"btn_inverse", "INVERSE()"}, {"btn_sin", "SIN()"},   {"btn_cos", "COS()"},         {"btn_tan", "TAN()"},
    {"btn_arcsin", "ARCSIN()"}, {"btn_arccos", "ARCCOS()"}, {"btnarctan", "ARCTAN()"},  {"btn_sinh", "SINH()"},
    {"btn_cosh", "COSH()"},   {"btn_tanh", "TANH()"},     {"btn_arcsinh", "ARCSINH()"}, {"btn_arccosh", "ARCCOSH()"},
    {"btn_arctanh", "ARCTANH()"},
};
} // namespace

CCalculator::CCalculator(QWidget* parent, Qt::WindowFlags flags)
    : CKorvantaWindow(parent, flags), m_pUi(new Ui::CCalculator)
{
    QWidget* inner = new QWidget(this);
    m_pUi->setupUi(inner);
    setWidget(inner);
}

CCalculator::~CCalculator()
{
    delete m_pUi;
}

void CCalculator::initWindow()
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(KorvantaIcons::Deferred(QStringLiteral(":/images/transperentIcon.png")));
    setWindowTitle(tr("Calculator"));

    QLineEdit* expression = m_pUi->display_excercise;
    expression->clear();
    expression->setAlignment(Qt::AlignRight);
    if (!m_pValidator) {
        m_pValidator = new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("[a-zA-Z0-9()+*/^.-]{0,255}")), this);
        expression->setValidator(m_pValidator);
    }
    m_pUi->display_answer->setAlignment(Qt::AlignRight);
    m_pUi->display_answer->setReadOnly(true);

    m_pUi->btn_equal->setText(tr("="));
    connect(m_pUi->btn_equal, &QPushButton::clicked, this, &CCalculator::on_btn_equal_clicked);
    connect(expression, &QLineEdit::returnPressed, this, &CCalculator::on_btn_equal_clicked);

    CFormulaParser::getInstance()->init();
    m_bRadians = false;

    m_pUi->btn_back->setText(QStringLiteral("\u2190"));
    m_pUi->btn_sqrt->setText(QStringLiteral("\u221A"));
    m_pUi->rb_degrees->setText(tr("Degrees"));
    m_pUi->rb_radians->setText(tr("Radians"));
    m_pUi->rb_degrees->setChecked(true);
    // The angle choice shares a row with the keys: without the box's frame and margins its
    // two labels keep their full height.
    m_pUi->groupBox->setStyleSheet(QStringLiteral("QGroupBox { border: none; margin: 0px; padding: 0px; }"));
    if (QLayout* row = m_pUi->groupBox->layout())
        row->setContentsMargins(4, 0, 4, 0);
    expression->setFocus();

    for (const InsertionKey& key : s_Keys) {
        QPushButton* button = findChild<QPushButton*>(QString::fromLatin1(key.object));
        if (!button)
            continue;
        const QString text = QString::fromLatin1(key.text);
        connect(button, &QPushButton::clicked, this,
                [this, text]() { addTextToExcerciseDisplayOnCursorPosition(text, true); });
    }
    connect(m_pUi->btn_clear, &QPushButton::clicked, this, &CCalculator::on_btn_clear_clicked);
    connect(m_pUi->btn_back, &QPushButton::clicked, this, &CCalculator::on_btn_back_clicked);
    connect(m_pUi->rb_radians, &QRadioButton::clicked, this, &CCalculator::on_rb_radians_clicked);
    connect(m_pUi->rb_degrees, &QRadioButton::clicked, this, &CCalculator::on_rb_degrees_clicked);
}

void CCalculator::addTextToExcerciseDisplayOnCursorPosition(QString text, bool focus)
{
    QLineEdit* expression = m_pUi->display_excercise;
    const int p = expression->cursorPosition();
    QString content = expression->text();
    content.insert(p, text);
    expression->setText(content);
    if (!focus)
        return;
    expression->setFocus();
    const int after = p + text.length();
    expression->setCursorPosition(text.endsWith(QLatin1Char(')')) ? after - 1 : after);
}

void CCalculator::on_btn_back_clicked()
{
    QString content = m_pUi->display_excercise->text();
    content.chop(1);
    m_pUi->display_excercise->setText(content);
}

void CCalculator::on_btn_clear_clicked()
{
    m_pUi->display_excercise->clear();
    m_pUi->display_answer->clear();
}

QString CCalculator::getErrorText(int code)
{
    if (code < -18 || code > -1)
        return QString();
    return CFormulaParser::getInstance()->getErrorText(code);
}

CalcAnswer CCalculator::extractAnswerFromText(QString text)
{
    CFormulaParser* parser = CFormulaParser::getInstance();
    parser->setRadians(m_bRadians);
    int error = 0;
    const double value = parser->calc(text, &error);
    if (error == 0) {
        m_LastAnswer.value = value;
        m_LastAnswer.valid = true;
    } else {
        m_LastAnswer.valid = false;
        m_LastAnswer.errorText = getErrorText(error);
    }
    return m_LastAnswer;
}

QString CCalculator::ValueText(double value)
{
    return QString::number(value, 'g', 10);
}

void CCalculator::on_btn_equal_clicked()
{
    m_LastAnswer = extractAnswerFromText(m_pUi->display_excercise->text());
    if (m_LastAnswer.valid)
        m_pUi->display_answer->setText(ValueText(m_LastAnswer.value));
    else
        m_pUi->display_answer->setText(tr(m_LastAnswer.errorText.toUtf8().constData()));
}

void CCalculator::on_rb_radians_clicked(bool checked)
{
    m_bRadians = checked;
}

void CCalculator::on_rb_degrees_clicked(bool checked)
{
    m_bRadians = !checked;
}
