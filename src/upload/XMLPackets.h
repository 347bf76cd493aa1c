#pragma once
// The records the upload controller hands through its packet queue to its call slots. The
// queue owns the packets it holds; the worker hands each one on by value, so nothing the
// worker thread wrote is shared with the user-interface thread once the signal is out.
#include <QList>
#include <QMetaType>
#include <QStringList>
#include <QVector>

struct XMLPacket
{
    // Kinds of packet.
    enum Kind {
        Login = 0,
        Validate = 2,
        Start = 3,
        Data = 4,
        End = 5,
        Stop = 6,
        StopWorker = 8,
    };
    // The start packet has room for this many sensors; the controller refuses more.
    static constexpr int MaxSensors = 16;

    XMLPacket() = default;
    explicit XMLPacket(int k) : kind(k) {}
    XMLPacket(const XMLPacket&) = default;
    XMLPacket& operator=(const XMLPacket&) = default;
    virtual ~XMLPacket() = default;

    int kind = 0;
};

struct XMLStartPacket : XMLPacket
{
    XMLStartPacket() : XMLPacket(Start) {}

    qint64 rateIndex = -1;
    int numberOfSamples = -1;
    qint16 sensorCount = -1;
    qint16 sensorCodes[MaxSensors] = {};
};

struct XMLDataPacket : XMLPacket
{
    XMLDataPacket() : XMLPacket(Data) {}

    // Makes n empty value lists, or empties the existing ones. Always true.
    bool CreateDataPacketWithSize(int n);
    void ResetDataPacket();
    // The next part of an upload: same sensors and keys, no rows yet.
    XMLDataPacket NextPart() const;

    qint16 sensorCount = -1;
    int rowCount = -1;
    QList<int> keys;
    // One list of value texts per sensor, for this packet's rows; empty until prepared.
    QVector<QStringList> valueLists;
};

Q_DECLARE_METATYPE(XMLPacket)
Q_DECLARE_METATYPE(XMLStartPacket)
Q_DECLARE_METATYPE(XMLDataPacket)
