#pragma once
// CSerialPort: the serial link of one logger stack, over POSIX termios.
//
// Raw 8N1 at the requested baud rate, no flow control. Reads never block (the reader thread
// polls every 10 ms). Each send writes one whole frame under the port's write lock, so the
// command sender, the status re-send, the detection poller and the user-interface thread may
// all send and their frames never interleave on the wire. Only one thread reads.
#include <QByteArray>
#include <QMutex>
#include <QString>

#include <atomic>
#include <cstddef>

class CSerialPort
{
public:
    CSerialPort();
    virtual ~CSerialPort();
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // Hook asked before a port is tried; every port is acceptable.
    bool PortReady(QString& name, int baud);

    // Opens the port named by portName() read-write at `baud`, 8N1, raw. False when the
    // device cannot be opened or configured, or the rate is not a standard one.
    bool OpenPort(int baud);
    // Lets already written bytes drain for a short bounded moment, discards the rest and
    // closes. True (closing a closed port is not an error).
    bool ClosePort();
    bool isOpen() const { return m_fd.load() >= 0; }

    // One non-blocking read of at most `size` bytes: the count read, 0 when nothing waits,
    // negative when the port is closed or the device failed or went away.
    int Read(void* buffer, int size);
    // Writes all `size` bytes as one unit under the write lock. Returns `size`, or a negative
    // count when the port is closed, the arguments are bad, or the device failed.
    int Write(const void* data, int size);

    // Sends one constant request frame whole; the size comes from the array itself.
    template <std::size_t N>
    bool SendToMulti(const unsigned char (&frame)[N])
    {
        return SendToMulti(frame, int(N));
    }
    bool SendToMulti(const unsigned char* frame, int size);
    // Sends a built request frame at its exact length. False when nothing went out (port
    // closed, empty frame, device error).
    bool SendToMulti(const QByteArray& frame);

    void setPortName(const QString& name) { m_portName = name; }
    QString portName() const { return m_portName; }
    // Last failure, for diagnostics.
    QString errorString() const;

private:
    void setError(const QString& text);

    mutable QMutex m_errorLock;
    QString m_error;
    QMutex m_writeLock;
    QMutex m_readLock; // held by Read and ClosePort, so a close never pulls the descriptor mid-read
    QString m_portName;
    std::atomic<int> m_fd{-1};
};
