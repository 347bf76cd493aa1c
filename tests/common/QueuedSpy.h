#pragma once
// Records a signal like QSignalSpy, but hands emissions from other threads over to the spy's
// own thread (queued) instead of appending to its list on the emitting thread: a test can read
// it while logger threads still emit. Emissions on the spy's thread are recorded at once.
#include <QList>
#include <QObject>
#include <QVariant>

class CQueuedSpy : public QObject, public QList<QList<QVariant>>
{
public:
    template <typename Sender, typename... Args>
    CQueuedSpy(const Sender* sender, void (Sender::*signal)(Args...))
    {
        QObject::connect(
            sender, signal, this,
            [this](typename std::decay<Args>::type... args) {
                append(QList<QVariant>{QVariant::fromValue(args)...});
            },
            Qt::AutoConnection);
    }
};
