// Second translation pass over the catalogue texts written with "²". The source texts go to the
// translation lookup as UTF-8 bytes made by the "UTF-8" text codec.
#include "Core/Data/SensorInfo.h"

#include <QCoreApplication>
#include <QTextCodec>

namespace {

enum class RetranslateField
{
    Unit,
    RangeText,
    Comment,
    RangeName
};

struct RetranslateStep
{
    short index;
    RetranslateField field;
    short slot; // measurement slot, or range-name position
    const char* source;
    const char* comment;
};

// The steps in the order they run; a Comment step puts back the fixed "Sensors List".
const RetranslateStep kSteps[] = {
    {5, RetranslateField::Unit, 1, "W/m²", "Sensors List"},
    {5, RetranslateField::RangeText, 1, "0 - 190W/m²", "Sensors List"},
    {5, RetranslateField::Comment, 1, nullptr, nullptr},
    {6, RetranslateField::Unit, 1, "W/m²", "Sensors List"},
    {6, RetranslateField::RangeText, 1, "0 - 0.01W/m²", "Sensors List"},
    {6, RetranslateField::Comment, 1, nullptr, nullptr},
    {44, RetranslateField::Unit, 1, "W/m²", "Sensors List"},
    {44, RetranslateField::RangeText, 1, "0 - 0.44W/m²", "Sensors List"},
    {44, RetranslateField::Comment, 1, nullptr, nullptr},
    {65, RetranslateField::Unit, 0, "W/m²", "Sensors List"},
    {65, RetranslateField::RangeText, 0, "0 - 200[W/m²]", "Sensors List"},
    {65, RetranslateField::Comment, 0, nullptr, nullptr},
    {66, RetranslateField::Unit, 0, "W/m²", "Sensors List"},
    {66, RetranslateField::RangeText, 0, "0 - 10[W/m²]", "Sensors List"},
    {66, RetranslateField::Comment, 0, nullptr, nullptr},
    {67, RetranslateField::Unit, 0, "W/m²", "Sensors List"},
    {67, RetranslateField::RangeText, 0, "0 - 1[W/m²]", "Sensors List"},
    {67, RetranslateField::Comment, 0, nullptr, nullptr},
    {68, RetranslateField::Unit, 0, "W/m²", "Sensors List"},
    {68, RetranslateField::RangeText, 0, "0 - 10[W/m²]", "Sensors List"},
    {68, RetranslateField::Comment, 0, nullptr, nullptr},
    {69, RetranslateField::Unit, 0, "W/m²", "Sensors List"},
    {69, RetranslateField::RangeText, 0, "0 - 1[W/m²]", "Sensors List"},
    {70, RetranslateField::Unit, 0, "W/m²", "Sensors List"},
    {70, RetranslateField::RangeText, 0, "0 - 0.1[W/m²]", "Sensors List"},
    {77, RetranslateField::Unit, 0, "W/m²", "Sensors List"},
    {77, RetranslateField::RangeText, 0, "0 - 10[W/m²]", "Sensors List"},
    {77, RetranslateField::Comment, 0, nullptr, nullptr},
    {77, RetranslateField::RangeName, 0, "0 - 10[W/m²]", "UVA Sensor range"},
    {77, RetranslateField::RangeName, 1, "0 - 200[W/m²]", "UVA Sensor range"},
    {78, RetranslateField::Unit, 0, "W/m²", "Sensors List"},
    {78, RetranslateField::RangeText, 0, "0 - 200[W/m²]", "Sensors List"},
    {78, RetranslateField::Comment, 0, nullptr, nullptr},
    {78, RetranslateField::RangeName, 0, "0 - 10[W/m²]", "UVA Sensor range"},
    {78, RetranslateField::RangeName, 1, "0 - 200[W/m²]", "UVA Sensor range"},
};

QString* stepTarget(CSensorParametersInfo& sensor, const RetranslateStep& step)
{
    if (step.slot < 0) return nullptr;
    switch (step.field) {
    case RetranslateField::RangeName:
        return step.slot < CSensorParametersInfo::s_MaxVariants ? &sensor.m_RangeNames[step.slot] : nullptr;
    case RetranslateField::Unit:
    case RetranslateField::RangeText:
    case RetranslateField::Comment:
        break;
    }
    if (step.slot >= CSensorParametersInfo::s_MaxMeasurements) return nullptr;
    CSensorMeasuremntInfo& m = sensor.m_Measurements[step.slot];
    switch (step.field) {
    case RetranslateField::Unit:
        return &m.m_Unit;
    case RetranslateField::RangeText:
        return &m.m_RangeText;
    case RetranslateField::Comment:
        return &m.m_Comment;
    case RetranslateField::RangeName:
        break;
    }
    return nullptr;
}

} // namespace

void CSensorInfo::FixStringTranslation()
{
    QTextCodec* codec = QTextCodec::codecForName("UTF-8");
    for (const RetranslateStep& step : kSteps) {
        if (!IsValidIndex(step.index)) continue;
        QString* target = stepTarget(m_Sensors[step.index], step);
        if (!target) continue;
        if (step.field == RetranslateField::Comment) {
            *target = QStringLiteral("Sensors List");
            continue;
        }
        const QString decoded = codec ? codec->toUnicode(step.source) : QString::fromUtf8(step.source);
        const QByteArray bytes = codec ? codec->fromUnicode(decoded) : decoded.toUtf8();
        *target = QCoreApplication::translate("CSensorInfo", bytes.constData(), step.comment, -1);
    }
}
