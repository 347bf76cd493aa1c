#include "Core/Data/SensorInfo.h"

#include <QApplication>
#include <QTextStream>

#include <memory>

namespace {

// Until the main window exists the program loads the sensor catalogue and says what it holds.
void reportCatalogue(const CSensorInfo& info, QTextStream& out)
{
    int hidden = 0, measurements = 0, active = 0;
    for (const CSensorParametersInfo& sensor : info.m_Sensors) {
        if (sensor.m_HiddenSensor) ++hidden;
        for (int j = 0; j < sensor.m_NumOfMeasurements; ++j) {
            const CSensorMeasuremntInfo* m = sensor.GetMeasurement(j);
            if (!m) break;
            ++measurements;
            if (m->m_DefaultActive) ++active;
        }
    }
    int electrodes = 0;
    for (const ISEInfo& ise : info.m_ISEInfo)
        if (!ise.m_Name.isEmpty()) ++electrodes;
    out << "Sensor catalogue: " << CSensorInfo::s_NumOfSensors << " sensor types ("
        << CSensorInfo::s_NumOfSensors - hidden << " listed, " << hidden << " hidden), " << measurements
        << " measurements (" << active << " active by default), " << electrodes
        << " ion-selective electrodes\n";
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral("4.00.000"));
    QTextStream out(stdout);
    out << "Korvanta " << QApplication::applicationVersion() << "\n";
    std::unique_ptr<CSensorInfo> catalogue(new CSensorInfo);
    catalogue->LoadSensorInfo();
    reportCatalogue(*catalogue, out);
    out.flush();
    return 0;
}
