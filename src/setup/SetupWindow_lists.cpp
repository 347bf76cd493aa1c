// The lists the setup windows offer (sensor names, rates, numbers of samples) and the text of
// how long a run will take.
#include "setup/SetupWindow.h"

#include "Core/Base/ILogger.h"
#include "Core/Data/SensorInfo.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Logic/LoggerKinds.h"
#include "setup/LogicQueries.h"
#include "setup/FullSetupWindow.h"
#include "setup/SetupHost.h"
#include "setup/SetupSummary.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>

#include <algorithm>
#include <cmath>

void CSetupWindow::createSensorList()
{
    m_SensorNames.clear();
    const CSensorInfo* info = catalogue();
    for (int i = 0; i < CSensorInfo::s_NumOfSensors; ++i) {
        const CSensorParametersInfo* type = info ? info->GetSensorInfo(i) : nullptr;
        if (!type) {
            m_SensorNames << QString();
            continue;
        }
        const QString name = QCoreApplication::translate("QObject", type->m_Name.toUtf8().constData());
        if (i == 0) {
            m_SensorNames << name;
            continue;
        }
        const CSensorMeasuremntInfo* first = type->GetMeasurement(0);
        const QString range =
            first ? QCoreApplication::translate("QObject", first->m_RangeText.toUtf8().constData()) : QString();
        m_SensorNames << name + " " + range;
    }
}

void CSetupWindow::createRateList(double loggerType)
{
    m_UiRateCodes.clear();
    m_RateNames.clear();
    const CSensorInfo* info = catalogue();
    int fastest = 15, slowest = 1;
    for (const CSesnorProperties* sensor : m_pSetupInfo->m_SelectedSensorList) {
        const CSensorParametersInfo* type = (sensor && info) ? info->GetSensorInfo(sensor->m_SensorIndex) : nullptr;
        if (!type)
            continue;
        for (int m = 0; m < sensor->GetNumMeasurements(); ++m) {
            const CMeasurementSetup* ms = sensor->GetMeasurement(m);
            const CSensorMeasuremntInfo* mi = type->GetMeasurement(m);
            if (!ms || !ms->m_bActive || !mi)
                continue;
            if (mi->m_FastestRateCode != 999 && mi->m_FastestRateCode < fastest)
                fastest = mi->m_FastestRateCode;
            else
                fastest = std::min<int>(fastest, type->m_FastestRateCode);
            if (mi->m_SlowestRateCode != 999 && mi->m_SlowestRateCode > slowest)
                slowest = mi->m_SlowestRateCode;
            else
                slowest = std::max<int>(slowest, type->m_SlowestRateCode);
        }
    }
    const ILoggerFace& face = LoggerFaceOf(LoggerModelOf(loggerType));
    const int cap = std::min(face.FastestRateCode(), fastest);
    const int active = m_pSetupInfo->GetActiveSensorsCount();
    static const char* const texts[] = {
        nullptr,
        QT_TR_NOOP("Every hour"),
        QT_TR_NOOP("Every 30 minutes"),
        QT_TR_NOOP("Every 10 minutes"),
        QT_TR_NOOP("Every minute"),
        QT_TR_NOOP("Every 10 seconds"),
        QT_TR_NOOP("Every second"),
        QT_TR_NOOP("10 samples per second"),
        QT_TR_NOOP("25 samples per second"),
        QT_TR_NOOP("50 samples per second"),
        QT_TR_NOOP("100 samples per second"),
        QT_TR_NOOP("500 samples per second"),
        QT_TR_NOOP("1000 samples per second"),
        QT_TR_NOOP("10000 samples per second"),
        QT_TR_NOOP("100000 samples per second"),
    };
    const auto shared = [&](int top) {
        // The top rate is shared by the active sensors; active is above 0 here.
        return QString("%1 %2").arg(top / active).arg(tr("samples per second"));
    };
    for (int c = 1; c <= 14; ++c) {
        if (c < slowest || c > cap)
            continue;
        const int top = face.SharedTopRate(c);
        if (top > 0 && active > 0) {
            m_UiRateCodes << 15;
            m_RateNames << shared(top);
        } else {
            m_UiRateCodes << c;
            m_RateNames << tr(texts[c]);
        }
    }
}

void CSetupWindow::createDurationList(double loggerType)
{
    m_SampleCounts = {10, 20, 50, 100, 200, 500, 1000, 2000, 5000, 10000, 15000, 20000};
    for (int n : LoggerFaceOf(LoggerModelOf(loggerType)).LongestSampleCounts())
        m_SampleCounts << n;
    m_SampleCountNames.clear();
    for (int n : m_SampleCounts)
        m_SampleCountNames << QString::number(n);
}

QString CSetupWindow::FormatDuration(double totalSeconds)
{
    const auto word = [](const char* w) { return QCoreApplication::translate("CFullSetupWindow", w); };
    // The total is taken in single precision, so a total a hair below a unit reads as the unit.
    if (!std::isfinite(totalSeconds) || totalSeconds < 0.0)
        return QString();
    // No logger runs for 30 million years; the bound keeps every count below in range.
    const float t = float(std::min(totalSeconds, 1e15));
    if (t < 60.0f)
        return QString("%1 ").arg(double(t)) + word("seconds");
    const qint64 whole = qint64(std::trunc(t));
    QList<QPair<qint64, QString>> parts;
    const qint64 s = whole % 60;
    if (t < 3600.0f) {
        parts.append({qint64(t / 60.0f), word("minutes")});
        if (s != 0)
            parts.append({s, word("seconds")});
    } else {
        const qint64 m = qint64(t / 60.0f) % 60;
        qint64 h = qint64((t / 60.0f) / 60.0f);
        if (t >= 86400.0f) {
            parts.append({qint64(((t / 60.0f) / 60.0f) / 24.0f), word("days")});
            h %= 24;
            if (h != 0)
                parts.append({h, word("hours")});
        } else {
            parts.append({h, word("hours")});
        }
        if (m != 0)
            parts.append({m, word("minutes")});
        if (s != 0)
            parts.append({s, word("seconds")});
    }
    QString text;
    for (int i = 0; i < parts.size(); ++i)
        text += QString(i == 0 ? "%1 " : " %1 ").arg(parts.at(i).first) + parts.at(i).second;
    return text;
}

QPair<QString, QString> CSetupWindow::SummaryRunTexts(ExperimentRunMode runMode, int rateCode, int samples,
                                                      int timingMeasurement, const QString& rateName,
                                                      const QString& duration)
{
    const auto text = [](const char* t) { return QCoreApplication::translate("CMinimalSetupWindow", t); };
    if (runMode == ExperimentRunMode::Timing) {
        // Photogates: a result per event, for as long as the run is let go on.
        static const char* const measured[] = {QT_TRANSLATE_NOOP("CMinimalSetupWindow", "Event timing: time"),
                                               QT_TRANSLATE_NOOP("CMinimalSetupWindow", "Event timing: velocity"),
                                               QT_TRANSLATE_NOOP("CMinimalSetupWindow", "Event timing: acceleration")};
        const bool known = timingMeasurement >= 0 && timingMeasurement < 3;
        return {known ? text(measured[timingMeasurement]) : text("Event timing"), text("Until Run is pressed again")};
    }
    if (rateCode == 0) {
        // Manual sampling: no rate, and the run ends with its last sample.
        const QString count = samples > 0 ? text("Up to %1 samples").arg(samples) : QString();
        return {text("Manual: a sample per press"), count};
    }
    return {rateName, duration};
}

void CSetupWindow::refreshSummary()
{
    if (!m_pMinimal)
        return;
    const QString rateName = m_pFull ? m_pFull->form()->RateComboBox->currentText() : QString();
    // Without a logger nothing is set up to run: the band shows the rate list's choice alone.
    if (!hasActiveLogger()) {
        m_pMinimal->rateLabel()->setText(rateName);
        m_pMinimal->durationLabel()->setText(m_DurationText);
        return;
    }
    const ExperimentRunMode mode = m_pHost ? m_pHost->GetCurrentRunMode() : ExperimentRunMode::Sampling;
    const QPair<QString, QString> texts =
        SummaryRunTexts(mode, m_pSetupInfo->m_RateCode, m_pSetupInfo->m_NumberOfSamples,
                        m_pSetupInfo->m_TimingMeasurement, rateName, m_DurationText);
    m_pMinimal->rateLabel()->setText(texts.first);
    m_pMinimal->durationLabel()->setText(texts.second);
}

bool CSetupWindow::durationText(QString* text) const
{
    const int samples = m_pSetupInfo->m_NumberOfSamples;
    const int rate = m_pSetupInfo->m_RateCode;
    if (samples < 0)
        return false;
    ILogicQueries* logic = m_pHost ? m_pHost->GetLogicQueries() : nullptr;
    ILogger* logger = logic ? logic->GetActiveLogger() : nullptr;
    if (!logger || rate == 0) {
        if (text)
            text->clear();
        return true;
    }
    const double type = logger->GetType();
    const short loggerType = std::isfinite(type) && std::fabs(type) < 32767.0 ? short(type) : 0;
    const short active = short(std::min(m_pSetupInfo->GetActiveSensorsCount(), 32767));
    const ExperimentInterval interval = logic->GetExperimentInterval(short(rate), active, loggerType);
    const double period = std::isfinite(interval.m_PeriodSec) ? interval.m_PeriodSec : 0.0;
    if (text)
        *text = FormatDuration(double(samples) * period);
    return true;
}
