#include "table/MetersWindow.h"
#include "windowbase/DeferredIcon.h"

#include "windowbase/ChildWindowHost.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/SensorInfo.h"
#include "Core/Data/SetupInfo.h"
#include "ui_MetersWindow.h"

#include <QEvent>
#include <QIcon>
#include <QTimer>

namespace {
struct FaceIcons
{
    const char* pressed;
    const char* normal;
};
const FaceIcons s_FaceIcons[4] = {
    {":/images/meters/analog_press.png", ":/images/meters/analog_normal.png"},
    {":/images/meters/bar_press.png", ":/images/meters/bar_normal.png"},
    {":/images/meters/color_press.png", ":/images/meters/color_normal.png"},
    {":/images/meters/digital_press.png", ":/images/meters/digital_normal.png"},
};
} // namespace

CMetersWindow::CMetersWindow(QWidget* parent, Qt::WindowFlags flags)
    : CKorvantaWindow(parent, flags), m_pUi(new Ui::CMetersWindow)
{
    QWidget* inner = new QWidget(this);
    setWidget(inner);
    m_pUi->setupUi(inner);

    QPalette strip = palette();
    strip.setBrush(QPalette::All, QPalette::Window, QBrush(QColor(192, 192, 192), Qt::SolidPattern));
    m_pUi->metersToolBar->setAutoFillBackground(true);
    m_pUi->metersToolBar->setPalette(strip);

    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(tr("Meters"));
    resize(415, 385);

    m_pRedrawTimer = new QTimer(this);
    m_pRedrawTimer->setSingleShot(true);
    m_pRedrawTimer->setInterval(s_RedrawTickMs);
    connect(m_pRedrawTimer, &QTimer::timeout, this, &CMetersWindow::onRedrawTick);

    if (CKorvantaSignals* hub = m_pHost ? m_pHost->GetSignals() : nullptr) {
        connect(hub, &CKorvantaSignals::LoggerStartedRun, this, &CMetersWindow::StartRunning);
        connect(hub, &CKorvantaSignals::LoggerExperimentEnd, this, &CMetersWindow::EndRunning);
        connect(hub, &CKorvantaSignals::LoggerNewDataArrived, this, &CMetersWindow::UpdateNewData);
        connect(hub, &CKorvantaSignals::sensorListHasChanged, this, &CMetersWindow::onSensorListChanged);
    }
    m_pDataManager = m_pHost ? m_pHost->GetDataManager() : nullptr;
    view()->setDataManager(m_pDataManager);

    connect(m_pUi->cb_sensors, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &CMetersWindow::onMeasurmentChanged);
    connect(m_pUi->btn_analog, &QPushButton::pressed, this, &CMetersWindow::on_btn_analog_pressed);
    connect(m_pUi->btn_analog, &QPushButton::clicked, this, &CMetersWindow::on_btn_analog_clicked);
    connect(m_pUi->btn_analog, &QPushButton::released, this, &CMetersWindow::on_btn_analog_released);
    connect(m_pUi->btn_bar, &QPushButton::clicked, this, &CMetersWindow::on_btn_bar_clicked);
    connect(m_pUi->btn_color, &QPushButton::clicked, this, &CMetersWindow::on_btn_color_clicked);
    connect(m_pUi->btn_digital, &QPushButton::clicked, this, &CMetersWindow::on_btn_digital_clicked);

    onSensorListChanged();
    setCurrentMeterType(CMetersView::Analog);
}

CMetersWindow::~CMetersWindow()
{
    delete m_pUi;
}

CMetersView* CMetersWindow::view() const
{
    return m_pUi->metersWidget;
}

QVector<CMetersWindow::Entry> CMetersWindow::MeasurementEntries(const CSetupInfo* setup, const CSensorInfo* catalogue)
{
    QVector<Entry> out;
    if (!setup)
        return out;
    for (const CSesnorProperties* sensor : setup->m_SelectedSensorList) {
        if (!sensor)
            continue;
        const CSensorParametersInfo* record = catalogue ? catalogue->GetSensorInfo(sensor->m_SensorIndex) : nullptr;
        if (record && record->m_HiddenSensor)
            continue;
        for (int i = 0; i < sensor->m_MeasurementList.size(); ++i) {
            const CMeasurementSetup* m = sensor->m_MeasurementList.at(i);
            if (!m || !m->m_bActive)
                continue;
            QString name = m->m_Name;
            if (catalogue && CSensorInfo::IsISEIndex(sensor->m_SensorIndex))
                name = catalogue->getISEName(setup->GetISEId(sensor->m_Channel));
            out.append({name + QStringLiteral(" (") + m->m_Unit + QStringLiteral(")"), sensor->m_SensorIndex, i,
                        m->m_Unit});
        }
    }
    return out;
}

QStringList CMetersWindow::MeasurementTexts(const CSetupInfo* setup, const CSensorInfo* catalogue)
{
    QStringList out;
    for (const Entry& entry : MeasurementEntries(setup, catalogue))
        out << entry.text;
    return out;
}

bool CMetersWindow::Records(const CDataBranch& branch, const Entry& entry)
{
    return branch.m_SensorIndex == entry.sensorIndex && (branch.m_Measurement < 0 || branch.m_Measurement == entry.measurement);
}

void CMetersWindow::onSensorListChanged()
{
    m_pUi->cb_sensors->clear();
    const CSetupInfo* setup = m_pDataManager ? m_pDataManager->GetSetupInfo() : nullptr;
    const CSensorInfo* catalogue = m_pDataManager ? m_pDataManager->GetSensorCatalogue() : nullptr;
    m_Entries = MeasurementEntries(setup, catalogue);
    QStringList texts;
    for (const Entry& entry : m_Entries)
        texts << entry.text;
    // The first entry added becomes current, which shows it at once.
    m_pUi->cb_sensors->addItems(texts);
}

int CMetersWindow::keyAtPosition(int position) const
{
    if (position < 0 || !m_pDataManager || m_pDataManager->GetNumDataFolders() <= 0)
        return -1;
    const CDataFolder* folder = m_pDataManager->GetLastDataFolder();
    return folder ? folder->GetBranchKey(position) : -1;
}

void CMetersWindow::onMeasurmentChanged(int measurmentIndex)
{
    setBranchOnView(measurmentIndex);
}

void CMetersWindow::setBranchOnView(int position)
{
    const int key = keyAtPosition(position);
    CDataBranch* branch = key >= 0 ? m_pDataManager->GetDataBranch(key) : nullptr;
    const Entry* entry = position >= 0 && position < m_Entries.size() ? &m_Entries.at(position) : nullptr;
    if (branch && (!entry || Records(*branch, *entry))) {
        view()->setCurrentBranch(branch);
        view()->UpdateNewData();
        return;
    }
    // The last run holds another measurement there, or none: the meter shows the chosen one
    // in its own unit now rather than the old reading until the next run.
    if (entry)
        view()->showMeasurement(entry->sensorIndex, entry->measurement, entry->unit);
}

void CMetersWindow::StartRunning()
{
    if (!m_pDataManager || m_pDataManager->GetNumDataFolders() <= 0)
        return;
    const int key = keyAtPosition(m_pUi->cb_sensors->currentIndex());
    view()->StartRunning(key >= 0 ? m_pDataManager->GetDataBranch(key) : nullptr);
}

void CMetersWindow::EndRunning()
{
    view()->EndRunning();
}

void CMetersWindow::UpdateNewData()
{
    // The loggers announce every stored packet; the face takes the latest value on the next
    // tick, so a fast run costs one reading and one repaint per tick.
    if (!m_pRedrawTimer->isActive())
        m_pRedrawTimer->start();
}

void CMetersWindow::onRedrawTick()
{
    view()->UpdateNewData();
}

void CMetersWindow::setCurrentMeterType(CMetersView::MeterType type)
{
    view()->setMeterType(type);
    view()->UpdateNewData();
    view()->onWindowResized();
    view()->update();
    QPushButton* const buttons[4] = {m_pUi->btn_analog, m_pUi->btn_bar, m_pUi->btn_color, m_pUi->btn_digital};
    for (int i = 0; i < 4; ++i)
        buttons[i]->setIcon(KorvantaIcons::Deferred(QString::fromLatin1(i == type ? s_FaceIcons[i].pressed : s_FaceIcons[i].normal)));
}

void CMetersWindow::on_btn_analog_clicked()
{
    setCurrentMeterType(CMetersView::Analog);
}

void CMetersWindow::on_btn_bar_clicked()
{
    setCurrentMeterType(CMetersView::Bar);
    view()->onWindowResized();
}

void CMetersWindow::on_btn_color_clicked()
{
    setCurrentMeterType(CMetersView::Color);
}

void CMetersWindow::on_btn_digital_clicked()
{
    setCurrentMeterType(CMetersView::Digital);
}

void CMetersWindow::on_btn_analog_pressed()
{
    m_pUi->btn_analog->setIcon(KorvantaIcons::Deferred(QString::fromLatin1(s_FaceIcons[0].pressed)));
}

void CMetersWindow::on_btn_analog_released()
{
    m_pUi->btn_analog->setIcon(KorvantaIcons::Deferred(QString::fromLatin1(s_FaceIcons[0].normal)));
}

void CMetersWindow::resizeEvent(QResizeEvent* resizeEvent)
{
    CKorvantaWindow::resizeEvent(resizeEvent);
    view()->onWindowResized();
}

void CMetersWindow::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::WindowStateChange)
        view()->onWindowResized();
    QMdiSubWindow::changeEvent(e);
}
