#pragma once
// Drives a device model without the harness: host bytes in through the model's own frame
// cutting, device frames out, with the clock in the test's hand.
#include "simulator/DeviceModel.h"

#include <QList>

class CClockOutput : public kvsim::ISimOutput
{
public:
    QList<QByteArray> sent;
    qint64 now = 0;
    void send(const QByteArray& frame) override { sent << frame; }
    qint64 elapsedMs() const override { return now; }
    QList<QByteArray> Take()
    {
        QList<QByteArray> out = sent;
        sent.clear();
        return out;
    }
};

// Feeds host bytes through the model's frame cutting, as the harness does.
inline void Feed(kvsim::IDeviceModel& d, CClockOutput& out, const QByteArray& bytes)
{
    QByteArray pending = bytes;
    while (!pending.isEmpty()) {
        const int n = d.frameLength(reinterpret_cast<const unsigned char*>(pending.constData()), pending.size());
        if (n == 0)
            break;
        if (n < 0) {
            pending.remove(0, -n);
            continue;
        }
        d.onFrame(pending.left(n), out);
        pending.remove(0, n);
    }
}
