#pragma once
// The device models korvanta-sim can run, by name.
#include "simulator/DeviceModel.h"

#include <QStringList>
#include <memory>

namespace kvsim {

// Null for an unknown name. The model's sensors read `signal`.
std::unique_ptr<IDeviceModel> createDeviceModel(const QString& name, const SignalSettings& signal = SignalSettings());
QStringList deviceModelNames();

} // namespace kvsim
