#include "simulator/ModelFactory.h"

#include "simulator/DravletDevice.h"
#include "simulator/EchoDeviceModel.h"
#include "simulator/PelorinDevice.h"

#include <functional>
#include <utility>
#include <vector>

namespace kvsim {

namespace {

using Factory = std::function<std::unique_ptr<IDeviceModel>()>;

// One line per model.
const std::vector<std::pair<QString, Factory>>& models()
{
    static const std::vector<std::pair<QString, Factory>> s_models = {
        {QStringLiteral("echo"), [] { return std::unique_ptr<IDeviceModel>(new CEchoDeviceModel()); }},
        {QStringLiteral("dravlet"),
         [] {
             // One voltage sensor (catalogue entry 1, ±25 V).
             auto* model = new CDravletDeviceModel();
             CDravletDeviceModel::Sensor voltage;
             voltage.id = 95;
             voltage.base = 2048;
             voltage.step = 1;
             model->setSensors({voltage});
             return std::unique_ptr<IDeviceModel>(model);
         }},
        {QStringLiteral("pelorin"), [] { return std::unique_ptr<IDeviceModel>(new CPelorinDevice()); }},
    };
    return s_models;
}

} // namespace

std::unique_ptr<IDeviceModel> createDeviceModel(const QString& name, const SignalSettings& signal)
{
    for (const auto& entry : models()) {
        if (entry.first != name) continue;
        std::unique_ptr<IDeviceModel> model = entry.second();
        model->setSignal(signal);
        return model;
    }
    return nullptr;
}

QStringList deviceModelNames()
{
    QStringList names;
    for (const auto& entry : models()) names << entry.first;
    return names;
}

} // namespace kvsim
