#pragma once
// Starts a simulated logger on a pseudo-terminal and names it in KORVANTA_EXTRA_PORTS, so the
// real port enumerator of a main window made afterwards finds it like a plugged-in one.
#include "platform/TestPortEnumerator.h"
#include "simulator/LoggerSimulator.h"
#include "simulator/ModelFactory.h"

#include <QLatin1Char>
#include <QString>
#include <functional>
#include <memory>

// configure, when given, sets the model up before the simulator starts.
inline std::unique_ptr<kvsim::CLoggerSimulator>
StartSimulatedLogger(const QString& modelName, const std::function<void(kvsim::IDeviceModel&)>& configure = {})
{
    std::unique_ptr<kvsim::IDeviceModel> model = kvsim::createDeviceModel(modelName);
    if (!model)
        return nullptr;
    if (configure)
        configure(*model);
    const quint16 vendor = model->vendorId();
    const quint16 product = model->productId();
    auto sim = std::make_unique<kvsim::CLoggerSimulator>(std::move(model));
    if (!sim->start())
        return nullptr;
    qputenv("KORVANTA_EXTRA_PORTS", QStringLiteral("%1:%2:%3")
                                        .arg(sim->portName())
                                        .arg(vendor, 4, 16, QLatin1Char('0'))
                                        .arg(product, 4, 16, QLatin1Char('0'))
                                        .toLocal8Bit());
    return sim;
}

// The device's own restarts reach a test port list as the system reports them: its old port
// removed, its new one arrived, on the list's thread.
inline void FollowRestarts(kvsim::CLoggerSimulator& sim, CTestPortEnumerator* ports, quint16 vendor, quint16 product)
{
    sim.setRestartListener([ports, vendor, product](const QString& before, const QString& now) {
        QMetaObject::invokeMethod(
            ports,
            [ports, vendor, product, before, now] {
                if (!before.isEmpty())
                    ports->unplug(before);
                if (!now.isEmpty())
                    ports->plug(CTestPortEnumerator::makePort(now, vendor, product));
            },
            Qt::QueuedConnection);
    });
}
