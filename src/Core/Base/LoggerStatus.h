#pragma once
// The latest state of a connected logger as the setup keeps it.
#include <QList>
#include <QMetaType>

class CLoggerChannel
{
public:
    CLoggerChannel() = default;
    CLoggerChannel(int port, int sensorIndex) : m_Port(port), m_SensorIndex(sensorIndex) {}
    bool operator==(const CLoggerChannel& o) const
    {
        return m_Port == o.m_Port && m_SensorIndex == o.m_SensorIndex;
    }

    // The channel's status value as the logger's last status reply gave it: its port number
    // on the Pelorin logger, 0 on the Dravlet interface (which reports none).
    int m_Port = 0;
    // The sensor code the logger reports for the channel: a catalogue index.
    int m_SensorIndex = 0;
};

class CCurrentLoggerStatus
{
public:
    CCurrentLoggerStatus() = default;

    QList<CLoggerChannel> m_SensorList;
    // Range codes per channel; kept for the setup, not filled by the logic layer.
    QList<int> m_RangeList;
    // The latest snapshot: one raw reading per channel position.
    QList<int> m_SnapshotList;
    bool m_bAutoDetect = false;
    int m_RateCode = 0;
    int m_NumberOfSamples = 0;
    int m_Version[6] = {0, 0, 0, 0, 0, 0};
};

Q_DECLARE_METATYPE(CLoggerChannel)
Q_DECLARE_METATYPE(CCurrentLoggerStatus)
