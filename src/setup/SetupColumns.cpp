#include "setup/SetupColumns.h"

#include "windowbase/Prompter.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

void Ui_VerticalLayoutWidget::setupUi(QWidget* form)
{
    if (form->objectName().isEmpty())
        form->setObjectName(QStringLiteral("VerticalLayoutWidget"));
    verticalLayout_2 = new QVBoxLayout(form);
    verticalLayout_2->setObjectName(QStringLiteral("verticalLayout_2"));
    retranslateUi(form);
}

void Ui_VerticalLayoutWidget::retranslateUi(QWidget* form)
{
    form->setWindowTitle(QCoreApplication::translate("VerticalLayoutWidget", "Form"));
}

VerticalLayoutWidget::VerticalLayoutWidget(QWidget* parent) : QWidget(parent), ui(new Ui_VerticalLayoutWidget)
{
    ui->setupUi(this);
}

VerticalLayoutWidget::~VerticalLayoutWidget()
{
    delete ui;
}

void VerticalLayoutWidget::addWidget(QWidget* widget)
{
    ui->verticalLayout_2->addWidget(widget);
}

void VerticalLayoutWidget::setAlignment(Qt::Alignment alignment)
{
    ui->verticalLayout_2->setAlignment(alignment);
}

// ---- icon and port

FullSetupIconColumn::FullSetupIconColumn(int channel, QWidget* parent)
    : VerticalLayoutWidget(parent), m_Channel(channel), m_pLabel(new QLabel(this))
{
    setAlignment(Qt::AlignHCenter | Qt::AlignTop);
}

void FullSetupIconColumn::setPixmap(const QPixmap& pixmap)
{
    m_pLabel->setPixmap(pixmap);
    m_pLabel->setAlignment(Qt::AlignCenter);
    addWidget(m_pLabel);
}

FullSetupPortColumn::FullSetupPortColumn(int channel, QWidget* parent) : VerticalLayoutWidget(parent), m_Channel(channel)
{
}

void FullSetupPortColumn::paintBadge(QPainter* painter, int width, int channel)
{
    const int c = (width - 1) / 2;
    const QRect square(QPoint(c - 16, 6), QPoint(c + 16, 38));
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setRenderHint(QPainter::TextAntialiasing, true);
    painter->setBrush(QBrush(Qt::black, Qt::SolidPattern));
    painter->drawEllipse(square);
    QFont font = painter->font();
    font.setWeight(63);
    painter->setFont(font);
    painter->setPen(QColor(255, 255, 255, 255));
    painter->drawText(square, Qt::AlignCenter, QString("%1").arg(channel + 1));
}

void FullSetupPortColumn::paintEvent(QPaintEvent* event)
{
    VerticalLayoutWidget::paintEvent(event);
    QPainter painter(this);
    paintBadge(&painter, width(), m_Channel);
}

// ---- colour

FullSetupColorSelection::FullSetupColorSelection(int channel, QWidget* parent)
    : QWidget(parent), m_Layout(this), m_Channel(channel)
{
}

void FullSetupColorSelection::init()
{
    m_Layout.setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_Layout.addWidget(&m_Button);
    connect(&m_Button, &QPushButton::clicked, this, &FullSetupColorSelection::buttonClicked);
    styleButton();
}

void FullSetupColorSelection::styleButton()
{
    m_Button.setStyleSheet(QString("background-color: %1").arg(m_Color.name()));
}

void FullSetupColorSelection::buttonClicked()
{
    const QColor chosen = PrompterOrShell(m_pPrompter)->getColor(this, m_Color);
    if (chosen.isValid())
        setColor(chosen);
}

void FullSetupColorSelection::setColor(const QColor& color)
{
    m_Color = color;
    styleButton();
    emit colorModified(m_Color, m_Channel, m_MeasurementIndex);
}

void FullSetupColorSelection::setDisabled(bool disabled)
{
    m_Button.setDisabled(disabled);
}

// ---- plot style

FullSetupPenStyleColumn::FullSetupPenStyleColumn(int channel, QWidget* parent)
    : QWidget(parent), m_pLayout(new QVBoxLayout(this)), m_pCombo(new QComboBox(this)), m_Channel(channel)
{
    m_pLayout->addWidget(m_pCombo);
    m_pLayout->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_pCombo->setAutoFillBackground(false);
    m_pCombo->setIconSize(QSize(50, 20));
}

QStringList FullSetupPenStyleColumn::styleIconPaths()
{
    return {":/images/line_styles_line.png", ":/images/line_styles_dashed-line.png",
            ":/images/line_styles_line-dots.png", ":/images/line_styles_dots.png"};
}

void FullSetupPenStyleColumn::init()
{
    for (const QString& path : styleIconPaths())
        m_pCombo->addItem(QIcon(path), QString());
    connect(m_pCombo, QOverload<int>::of(&QComboBox::activated), this, &FullSetupPenStyleColumn::comboModified);
}

void FullSetupPenStyleColumn::comboModified(int index)
{
    m_PlotStyle = index;
    emit PenStyleModified(index, m_Channel, m_MeasurementIndex);
}

void FullSetupPenStyleColumn::setPlotStyle(int style)
{
    // A stored style from a damaged setup selects nothing rather than a wrong item.
    m_pCombo->setCurrentIndex(style >= 0 && style < m_pCombo->count() ? style : -1);
    m_PlotStyle = style;
}

void FullSetupPenStyleColumn::setDisabled(bool disabled)
{
    m_pCombo->setDisabled(disabled);
}
