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
             // One voltage sensor (catalogue entry 1) slowly rising, so the program has something to show.
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

std::unique_ptr<IDeviceModel> createDeviceModel(const QString& name)
{
    for (const auto& entry : models())
        if (entry.first == name) return entry.second();
    return nullptr;
}

QStringList deviceModelNames()
{
    QStringList names;
    for (const auto& entry : models()) names << entry.first;
    return names;
}

} // namespace kvsim
