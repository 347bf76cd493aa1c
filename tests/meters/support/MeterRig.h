#pragma once
// A document area standing in for the window manager: it hands the windows a hub, a data store
// with the sensor catalogue and a setup record, and a prompter whose dialog answers the test
// chooses.
#include "windowbase/ChildWindowHost.h"
#include "../../common/ScriptedPrompter.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/SensorInfo.h"
#include "Core/Data/SetupInfo.h"

#include <QMdiArea>

class CMeterRig : public QMdiArea, public IChildWindowHost
{
public:
    CMeterRig() : m_Data(&m_Setup)
    {
        static CSensorInfo* s_Catalogue = [] {
            auto* c = new CSensorInfo;
            c->LoadSensorInfo();
            return c;
        }();
        m_pCatalogue = s_Catalogue;
        m_Data.SetSensorCatalogue(m_pCatalogue);
        resize(900, 700);
        connect(&m_Hub, &CKorvantaSignals::HasNewDataToSave, this, [this]() { ++m_SaveNotices; });
        m_Prompter.m_bYes = false;
    }
    ~CMeterRig() override
    {
        // The setup record lists its selected sensors without owning them.
        qDeleteAll(m_Setup.m_SelectedSensorList);
        m_Setup.m_SelectedSensorList.clear();
    }
    bool AlignToGrid() const override { return false; }
    CKorvantaSignals* GetSignals() const override { return const_cast<CKorvantaSignals*>(&m_Hub); }
    CDataManager* GetDataManager() const override { return const_cast<CDataManager*>(&m_Data); }
    IPrompter* GetPrompter() const override { return const_cast<CScriptedPrompter*>(&m_Prompter); }

    // Selects a sensor of the catalogue on the next channel with the given measurements active.
    CSesnorProperties* addSensor(int catalogueIndex, const QList<bool>& active)
    {
        auto* sensor = new CSesnorProperties;
        sensor->m_SensorIndex = catalogueIndex;
        sensor->m_Channel = m_Setup.m_SelectedSensorList.size();
        const CSensorParametersInfo* record = m_pCatalogue->GetSensorInfo(catalogueIndex);
        for (int i = 0; i < active.size(); ++i) {
            auto* m = new CMeasurementSetup;
            m->m_bActive = active[i];
            const CSensorMeasuremntInfo* info = record ? record->GetMeasurement(i) : nullptr;
            m->m_Name = info ? info->m_Name : QStringLiteral("M%1").arg(i);
            m->m_Unit = info ? info->m_Unit : QStringLiteral("u");
            sensor->m_MeasurementList.append(m);
        }
        m_Setup.m_SelectedSensorList.append(sensor);
        return sensor;
    }

    // A run folder with one branch per sensor index given; returns the branch keys. A sensor
    // given again stands for its next measurement, as the store makes a run's branches.
    QList<int> addRun(const QList<int>& sensorIndices)
    {
        CDataFolder* folder = m_Data.CreateDataFolder();
        QList<int> keys;
        for (int i = 0; i < sensorIndices.size(); ++i) {
            const int measurement = int(sensorIndices.mid(0, i).count(sensorIndices[i]));
            const int key = m_Data.CreateDataBranch(sensorIndices[i], 0.1, i, measurement, folder->m_Key);
            folder->AddBranchKey(key);
            keys << key;
        }
        return keys;
    }

    const CSensorInfo* m_pCatalogue = nullptr;
    CKorvantaSignals m_Hub{nullptr};
    CSetupInfo m_Setup{nullptr};
    CDataManager m_Data;
    CScriptedPrompter m_Prompter{false};
    int m_SaveNotices = 0;
};
