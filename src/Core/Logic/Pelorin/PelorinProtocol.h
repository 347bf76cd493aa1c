#pragma once
// The Pelorin logger's protocol layer: the serial port, the model's rate tables and the receive
// ring as bases, the logger record, and every request and reply of the wire format. The frames
// themselves are built and parsed by the plain functions of PelorinFrames.h and PelorinReplies.h;
// this class feeds them from the setup record and the catalogue and writes the result.
#include "Core/Logic/Transport/CyclicBuffer.h"
#include "Core/Logic/Pelorin/PelorinFrames.h"
#include "Core/Logic/Pelorin/PelorinHost.h"
#include "Core/Logic/Pelorin/PelorinProtocolTables.h"
#include "Core/Logic/Pelorin/PelorinReplies.h"
#include "platform/SerialPort.h"

#include <QByteArray>
#include <QMutex>
#include <QString>

#include <atomic>

class CPelorinProtocol : public CSerialPort, public CPelorinProtocolTables, public CCyclicBuffer
{
public:
    CPelorinProtocol();
    ~CPelorinProtocol() override;
    CPelorinProtocol(const CPelorinProtocol&) = delete;
    CPelorinProtocol& operator=(const CPelorinProtocol&) = delete;

    // Where the setup, the catalogue, the data store and the hub are reached. Without a host the
    // requests that need the setup send nothing and the replies are parsed against an empty
    // catalogue.
    void SetHost(IPelorinHost* host) { m_pHost = host; }
    IPelorinHost* Host() const { return m_pHost; }

    // Clears the logger record (the start of every detection).
    void ResetLoggerInfo();

    // Fixed requests.
    void GoodbyeReq();
    void StopReq(int = 0);
    void StatusReq();
    void OpenUartBridgeReq();
    void CloseUartBridgeReq();
    void SendUartBridgeDataReq();
    void ReadUartBridgeDataReq();
    void SendLogReq();
    void DownloadDataReq();
    void KeepAliveReq();
    void EnterBootloaderModeReq();
    void ShutdownReq();

    // Built requests.
    void HelloReq();
    void RunReq();
    void SnapShotReq();
    void SetCalibrationReq();
    void SetSensorRangeReq();
    void WriteSensorIdReq();
    void TimingByTriggerAfterReq();
    void OpenDigitalOutReq();
    void RenameReq();
    void EnterBootloaderInfoModeReq(quint32 fileSize);
    void SendBootloaderDataPacketReq(const char* data, int n);
    void LeaveBootloaderModeReq();

    // Reply parsers, each handed the payload after the opcode and its length.
    void HelloRes(const unsigned char* data, int n);
    void StatusRes(const unsigned char* data, int n);
    void DownloadDataRes(const unsigned char* data, int n);
    void KeepAliveRes(const unsigned char* data, int n);
    void BootLoaderInfoPacketRes(const unsigned char* data, int n);
    void LeaveBootloaderRes(const unsigned char* data, int n);
    void SendLogRes(const unsigned char* data, int n);

    int ConvertFwSensoreIdToSensorInfoPostion(int id);
    void CalcPacketSize();
    quint16 CalcBootloaderCRC(const char* data, int n);

    // What the logger queries of the logger interface read.
    int LoggerSensorList(unsigned char* out) const;
    int ActiveSensorListIndex(unsigned char* out) const;
    void Version(int& v1, int& v2, int& v3, int& v4, int& v5, int& v6) const;

    // The logger record is filled by the packet processor (replies), by the command sender (the
    // run request's positions and packet counts) and read by the interface thread (the logger
    // interface): every access from more than one thread goes under this lock, which is only
    // ever held for the copy, never across a call out.
    Pelorin::LoggerRecord m_Logger;
    mutable QMutex m_RecordLock;
    Pelorin::LoggerRecord RecordCopy() const
    {
        QMutexLocker lock(&m_RecordLock);
        return m_Logger;
    }
    // Firmware transfer state.
    quint16 m_BootCrc = 0;
    quint16 m_BootBlockCounter = 0;
    quint32 m_BootFileSize = 0;
    quint32 m_BootBlockTotal = 0;
    quint16 m_BootEchoedBlock = 0;
    bool m_bBootSuccess = false;
    QByteArray m_LogBuffer;

protected:
    // Whether the link is a Bluetooth serial port (the manager knows).
    virtual bool LinkIsBluetooth() const { return false; }
    // The stop request empties the receive ring; the handler then hunts for a frame head anew.
    virtual void OnReceiveRingCleared() {}
    // Every frame goes out here (a test may capture them).
    virtual void WriteFrame(const QByteArray& frame);
    void WriteFixed(const unsigned char* frame);
    const Pelorin::ICatalogView& Catalog();
    bool ReadSetup(Pelorin::SetupView& out);

    IPelorinHost* m_pHost = nullptr;
};
