#include "simulator/ModelFactory.h"

#include "simulator/CatalogueSensors.h"
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
             auto model = std::make_unique<CDravletDeviceModel>();
             ApplySensors(*model, {1});
             return std::unique_ptr<IDeviceModel>(std::move(model));
         }},
        {QStringLiteral("pelorin"),
         [] {
             // One temperature sensor (catalogue entry 72, -30 to 50 °C).
             auto model = std::make_unique<CPelorinDevice>();
             ApplySensors(*model, {72});
             return std::unique_ptr<IDeviceModel>(std::move(model));
         }},
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
