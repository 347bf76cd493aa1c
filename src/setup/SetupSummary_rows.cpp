// The lines of the setup summary: a sensor line and a line per active measurement.
#include "setup/SetupSummary.h"

#include "Core/Data/Globals.h"
#include "Core/Data/SeriesNames.h"
#include "Core/Data/SensorInfo.h"
#include "Core/Data/SensorsCalibration.h"
#include "Core/Data/SetupInfo.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

namespace {
constexpr int kFirstPairedPort = 6;

QLabel* imageLabel(QWidget* form, const char* name, const QRect& geometry, const char* image)
{
    auto* l = new QLabel(form);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(geometry);
    if (image)
        l->setPixmap(QPixmap(QString::fromLatin1(image)));
    return l;
}

QString sensorName(const CSetupInfo* setup, const CSensorInfo* catalogue, int position)
{
    const CSesnorProperties* sensor = setup ? setup->GetSelectedSensor(position) : nullptr;
    if (!sensor || !catalogue)
        return QString();
    if (CSensorInfo::IsISEIndex(sensor->m_SensorIndex))
        return catalogue->getISEName(setup->GetISEId(position));
    const CSensorParametersInfo* r = catalogue->GetSensorInfo(sensor->m_SensorIndex);
    return r ? r->m_Name : QString();
}
} // namespace

void Ui_CSetupSummaryRow::setupUi(QWidget* form)
{
    if (form->objectName().isEmpty())
        form->setObjectName(QStringLiteral("CSetupSummaryRow"));
    form->resize(417, 132);
    sesnorCheckBox = new QCheckBox(form);
    sesnorCheckBox->setObjectName(QStringLiteral("sesnorCheckBox"));
    sesnorCheckBox->setGeometry(50, 12, 16, 16);
    sensorIconLabel = imageLabel(form, "sensorIconLabel", QRect(10, 5, 30, 30), ":/images/Sensors/Anemometer.png");
    sensorNameLabel = imageLabel(form, "sensorNameLabel", QRect(70, 10, 203, 16), nullptr);
    calibratedIconLabel = imageLabel(form, "calibratedIconLabel", QRect(296, 5, 30, 30), ":/images/Setup/calibrated.png");
    zeroIconLabel = imageLabel(form, "zeroIconLabel", QRect(338, 5, 30, 30), ":/images/Setup/set-zero.png");
    portLabel = imageLabel(form, "portLabel", QRect(378, 5, 30, 30), ":/images/Setup/setup.png");
    portNumberLabel = imageLabel(form, "portNumberLabel", QRect(303, 24, 46, 13), nullptr);
    QFont small = portNumberLabel->font();
    small.setPointSize(7);
    small.setBold(true);
    portNumberLabel->setFont(small);
}

CSetupSummaryRow::CSetupSummaryRow(QWidget* parent) : QWidget(parent), ui(new Ui_CSetupSummaryRow)
{
    ui->setupUi(this);
    for (QLabel* l : {ui->calibratedIconLabel, ui->zeroIconLabel, ui->portLabel})
        l->setAlignment(Qt::AlignRight);
    QMetaObject::connectSlotsByName(this);
}

CSetupSummaryRow::~CSetupSummaryRow()
{
    delete ui;
}

void CSetupSummaryRow::setSetup(CSetupInfo* setup, const CSensorInfo* catalogue, const CSensorsCalibration* calibration)
{
    m_pSetup = setup;
    m_pCatalogue = catalogue;
    m_pCalibration = calibration;
}

int CSetupSummaryRow::port() const
{
    const CSesnorProperties* sensor = m_pSetup ? m_pSetup->GetSelectedSensor(m_SensorIndex) : nullptr;
    return sensor ? sensor->m_Port : -1;
}

void CSetupSummaryRow::SetSensorIndexes(int sensorIndex, int measurementIndex)
{
    m_SensorIndex = sensorIndex;
    m_MeasurementIndex = measurementIndex;
    ui->sensorNameLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_Name = sensorName(m_pSetup, m_pCatalogue, sensorIndex);
    ui->sensorNameLabel->setText(m_Name);
    ui->sensorNameLabel->setToolTip(m_Name);
    const CSesnorProperties* sensor = m_pSetup ? m_pSetup->GetSelectedSensor(sensorIndex) : nullptr;
    const CSensorParametersInfo* r = sensor && m_pCatalogue ? m_pCatalogue->GetSensorInfo(sensor->m_SensorIndex) : nullptr;
    ui->sensorIconLabel->setAlignment(Qt::AlignCenter);
    ui->sensorIconLabel->setPixmap(r ? r->m_Icon : QPixmap());
    if (port() >= kFirstPairedPort) {
        ui->portNumberLabel->setText(QString::number((port() - kFirstPairedPort) / 2 + 1));
        ui->portNumberLabel->setToolTip(tr("Port Number"));
    } else {
        ui->portNumberLabel->setToolTip(tr("Sensor Port"));
    }
    ui->calibratedIconLabel->setToolTip(tr("Calibrated"));
    const int type = m_pCalibration && sensor ? m_pCalibration->GetCalibration(sensor->m_SensorIndex).type : 0;
    ui->calibratedIconLabel->setVisible(type != 0);
    ui->zeroIconLabel->hide();
}

void CSetupSummaryRow::UpdatePortLabel()
{
    const int p = port();
    if (p < kFirstPairedPort)
        return;
    QString text = QString::number((p - kFirstPairedPort) / 2 + 1);
    if (m_bPairedPort)
        text += (p & 1) ? "-2" : "-1";
    ui->portNumberLabel->setText(text);
    ui->portNumberLabel->setToolTip(tr("Port Number"));
}

void CSetupSummaryRow::SetActive(bool active)
{
    ui->sesnorCheckBox->setChecked(active);
}

void CSetupSummaryRow::SetCheckEnabled(bool enabled)
{
    ui->sesnorCheckBox->setEnabled(enabled);
}

void CSetupSummaryRow::on_sesnorCheckBox_clicked()
{
    emit activeSensorCheckboxClicked(m_SensorIndex, m_MeasurementIndex, ui->sesnorCheckBox->isChecked());
}

void CSetupSummaryRow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int w = width();
    ui->calibratedIconLabel->move(w - 70, 10);
    if (port() >= kFirstPairedPort) {
        ui->portLabel->move(w - 38, 4);
        ui->portNumberLabel->setGeometry(w - 38, 28, 38, 12);
        ui->portNumberLabel->setAlignment(Qt::AlignCenter);
        ui->portNumberLabel->show();
    } else {
        ui->portLabel->move(w - 38, 8);
        ui->portNumberLabel->hide();
    }
    ui->sensorNameLabel->setGeometry(70, 12, std::max(w - 140, 0), 15);
    ui->sensorNameLabel->setText(ui->sensorNameLabel->fontMetrics().elidedText(m_Name, Qt::ElideRight, std::max(w - 140, 0)));
}

void CSetupSummaryRow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(QColor(227, 227, 227));
    painter.setBrush(QColor(227, 227, 227));
    painter.drawRect(rect());
}

void CSetupSummaryRow::mousePressEvent(QMouseEvent* event)
{
    const QPoint p = event->localPos().toPoint();
    const int w = width();
    if (p.x() >= w - 38 && p.x() <= w - 14 && p.y() >= 5 && p.y() <= 35)
        emit propertiesButtonClicked();
    QWidget::mousePressEvent(event);
}

// ---- measurement line

void Ui_CSetupSummaryMeasurement::setupUi(QWidget* form)
{
    if (form->objectName().isEmpty())
        form->setObjectName(QStringLiteral("CSetupSummaryMeasurement"));
    form->resize(410, 74);
    measurementLabel = imageLabel(form, "measurementLabel", QRect(120, 13, 182, 16), nullptr);
    zeroIconLabel = imageLabel(form, "zeroIconLabel", QRect(319, 14, 30, 30), ":/images/Setup/set-zero.png");
    triggerIconLabel = imageLabel(form, "triggerIconLabel", QRect(355, 14, 30, 30), ":/images/Setup/trigger.png");
}

CSetupSummaryMeasurement::CSetupSummaryMeasurement(QWidget* parent) : QWidget(parent), ui(new Ui_CSetupSummaryMeasurement)
{
    ui->setupUi(this);
}

CSetupSummaryMeasurement::~CSetupSummaryMeasurement()
{
    delete ui;
}

void CSetupSummaryMeasurement::setSetup(CSetupInfo* setup, const CSensorInfo* catalogue)
{
    m_pSetup = setup;
    m_pCatalogue = catalogue;
}

void CSetupSummaryMeasurement::setMarks(bool trigger, bool zero)
{
    m_bTrigger = trigger;
    m_bZero = zero;
}

void CSetupSummaryMeasurement::SetSensorIndexes(int sensorIndex, int measurementIndex)
{
    m_SensorIndex = sensorIndex;
    m_MeasurementIndex = measurementIndex;
    ui->measurementLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // Named as the run's series will be: two sensors of one kind (the Dravlet's two gates)
    // say their ports.
    const QString name = m_pSetup && m_pCatalogue
                             ? SeriesNames::OfSetupMeasurement(*m_pSetup, *m_pCatalogue, sensorIndex, measurementIndex)
                             : QString();
    const QString unit = m_pSetup && m_pCatalogue
                             ? SeriesNames::SetupMeasurementUnit(*m_pSetup, *m_pCatalogue, sensorIndex, measurementIndex)
                             : QString();
    const CSesnorProperties* sensor = m_pSetup ? m_pSetup->GetSelectedSensor(sensorIndex) : nullptr;
    m_Text = SeriesNames::WithUnit(name, unit);
    ui->measurementLabel->setText(m_Text);
    ui->measurementLabel->setToolTip(m_Text);
    const CMeasurementSetup* ms = sensor ? sensor->GetMeasurement(measurementIndex) : nullptr;
    m_Colour = ms ? ms->m_Color : QColor();
    ui->triggerIconLabel->setToolTip(tr("Trigger Sensor"));
    ui->triggerIconLabel->setVisible(m_bTrigger);
    ui->zeroIconLabel->setToolTip(tr("Zero Set"));
    ui->zeroIconLabel->setVisible(m_bZero);
}

void CSetupSummaryMeasurement::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int w = width();
    ui->measurementLabel->setGeometry(80, 12, std::max(w - 110, 0), 15);
    ui->measurementLabel->setText(ui->measurementLabel->fontMetrics().elidedText(m_Text, Qt::ElideRight, std::max(w - 110, 0)));
    ui->triggerIconLabel->move(w - 60, 5);
    ui->zeroIconLabel->move(w - 90, 5);
}

void CSetupSummaryMeasurement::paintEvent(QPaintEvent*)
{
    const int w = width();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QRect circle(QPoint(w - 30, 10), QPoint(w - 10, 30));
    painter.setPen(m_Colour);
    painter.setBrush(m_Colour);
    painter.drawEllipse(circle);
    painter.setPen(QPen(Qt::white, 2.0, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    const QRect cross = circle.adjusted(7, 7, -6, -6);
    painter.drawLine(cross.topLeft(), cross.bottomRight());
    painter.drawLine(cross.topRight(), cross.bottomLeft());
}

void CSetupSummaryMeasurement::mousePressEvent(QMouseEvent* event)
{
    const QPoint p = event->localPos().toPoint();
    const int w = width();
    if (p.x() >= w - 22 && p.x() <= w - 18 && p.y() >= 13 && p.y() <= 27)
        emit closeMeasurementClicked(m_SensorIndex, m_MeasurementIndex);
    QWidget::mousePressEvent(event);
}
