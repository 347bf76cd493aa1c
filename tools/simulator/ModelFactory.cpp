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
        {QStringLiteral("dravlet"), [] { return std::unique_ptr<IDeviceModel>(new CDravletDeviceModel()); }},
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
