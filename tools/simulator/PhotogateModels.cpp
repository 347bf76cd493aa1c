// Photogates in both logger models: the sensor each reports, and the lesson their readings and
// timing reports follow.
#include "simulator/PhotogateModels.h"

#include "simulator/DravletDevice.h"
#include "simulator/PelorinDevice.h"

namespace kvsim {

namespace {
// The Pelorin logger's photogate reports sensor id 76.
constexpr unsigned char s_PelorinGateId = 76;
// The Dravlet interface knows a photogate by an id in the window of catalogue entry 2.
constexpr int s_DravletGateId = 165;
} // namespace

void CPelorinDevice::setPhotogates(const PhotogateSettings& settings)
{
    m_pFeed.reset();
    m_pPhotogates = std::make_unique<CPhotogateLesson>(settings);
    m_pFeed = std::make_unique<CPhotogateFeed>(m_pPhotogates.get());
    QList<Sensor> gates;
    for (int g = 0; g < settings.gates; ++g) {
        Sensor s;
        s.channel = static_cast<unsigned char>(g + 1);
        s.idLow = s_PelorinGateId;
        s.span.gate = g;
        gates << s;
    }
    m_Sensors = gates;
}

void CDravletDeviceModel::setPhotogates(const PhotogateSettings& settings)
{
    m_feed.reset();
    m_photogates = std::make_unique<CPhotogateLesson>(settings);
    m_feed = std::make_unique<CPhotogateFeed>(m_photogates.get());
    QVector<Sensor> gates;
    for (int g = 0; g < settings.gates; ++g) {
        Sensor s;
        s.id = s_DravletGateId;
        s.span.gate = g;
        gates << s;
    }
    setSensors(gates);
}

bool ApplyPhotogates(IDeviceModel& model, const PhotogateSettings& settings)
{
    if (auto* pelorin = dynamic_cast<CPelorinDevice*>(&model)) {
        pelorin->setPhotogates(settings);
        return true;
    }
    if (auto* dravlet = dynamic_cast<CDravletDeviceModel*>(&model)) {
        dravlet->setPhotogates(settings);
        return true;
    }
    return false;
}

} // namespace kvsim
