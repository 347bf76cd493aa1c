// Icons of sensors and data branches.
#include "Core/Data/Globals.h"

#include "Core/Data/SensorInfo.h"

QString GetSpecialSensorIconPath(int sensorIndex)
{
    switch (sensorIndex) {
    case SensorIndexOnlineFunction:
    case SensorIndexDerivedFunction:
        return QStringLiteral(":/images/History/Function_normal.png");
    case SensorIndexVideoTrack:
        return QStringLiteral(":/images/Video/VideoTrack_Normal.png");
    case SensorIndexTimingResult:
        return QStringLiteral(":/images/Setup/watch-Icon.png");
    case SensorIndexManualX:
    case SensorIndexNone:
        return QStringLiteral(":/images/Sensors/general_icon.png");
    default:
        return QString();
    }
}

QPixmap GetSensorIcon(int sensorIndex, int sensorId, const CSensorInfo* catalogue)
{
    const QString special = GetSpecialSensorIconPath(sensorIndex);
    if (!special.isEmpty())
        return QPixmap(special);
    // An index that names no catalogue record (a damaged workspace) gets the general icon
    // instead of reading past the catalogue.
    if (!catalogue || !CSensorInfo::IsValidIndex(sensorIndex))
        return QPixmap(QStringLiteral(":/images/Sensors/general_icon.png"));
    if (sensorId != -1)
        return catalogue->GetIconByID(sensorId);
    return catalogue->m_Sensors[sensorIndex].m_Icon;
}
