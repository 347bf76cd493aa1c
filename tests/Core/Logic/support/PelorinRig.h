#pragma once
// A whole Pelorin stack against the simulated logger: the logic manager with its managers, a
// test port enumerator listing the simulator's pseudo-terminal, and a recorder of the hub's
// logger events as they reach the interface thread.
#include "Core/Logic/LogicManager.h"
#include "Core/Logic/Detection/DeviceDetectionManager.h"
#include "Core/Logic/Pelorin/PelorinManager.h"
#include "platform/TestPortEnumerator.h"
#include "simulator/LoggerSimulator.h"
#include "simulator/PelorinDevice.h"
#include "LogicFakes.h"

#include <QObject>
#include <QStringList>

#include <memory>

// Records the hub's logger signals in the order the interface thread sees them (queued, so
// signals raised on logger threads are recorded safely).
class CHubRecorder : public QObject
{
public:
    explicit CHubRecorder(CKorvantaSignals* hub);
    int Count(const QString& name) const { return m_Events.count(name); }
    QStringList m_Events;
    QList<int> m_Progress;
    QList<int> m_BootResults;
    QList<bool> m_Detections;
};

class CPelorinRig
{
public:
    static constexpr quint16 kVendor = 0x0483;
    static constexpr quint16 kProduct = 0x5740;

    // device: the simulated logger (a plain one when null).
    explicit CPelorinRig(std::unique_ptr<kvsim::CPelorinDevice> device = nullptr);
    ~CPelorinRig();

    // Starts the simulator and the logic manager (catalogue loaded, managers created).
    bool Start();
    // Lists the simulator's port and raises its arrival; true once the logger is connected.
    bool PlugAndDetect(int timeoutMs = 8000);
    // The device's port as the enumerator lists it.
    CPortInfo DevicePort() const;
    // The cable pulled and put back: the removal and the arrival (under a new name) raised.
    bool Replug();
    // The device's own restarts reach the port list as the system reports them: its old port
    // removed, its new one arrived.
    void FollowRestarts();
    // Asks for the status and waits for its reply.
    bool RequestStatus(int timeoutMs = 3000);
    // Selects one sensor per reported channel, with the given measurement of each active.
    void SelectReportedSensors(int activeMeasurement = 0);
    // Temperature (sensor id 2) on channel 1 and humidity (id 3) on channel 2.
    static void TwoSensors(kvsim::CPelorinDevice& device);
    // Started with TwoSensors, detected, its status read and one sensor selected per reported
    // channel: the rig most run tests begin with.
    bool StartConnectedWithTwoSensors();
    // Runs fn on the simulator thread.
    bool OnDevice(const std::function<void(kvsim::CPelorinDevice&)>& fn);

    CPelorinManager* Pelorin() const { return PelorinManagerOf(m_pLogic->LiveFace(LoggerModel::Pelorin)); }
    ILogger* Logger() const { return Pelorin()->Logger(); }
    CSetupInfo& Setup() { return m_Context.m_Setup; }
    CKorvantaSignals& Hub() { return m_Context.m_Hub; }

    CFakeLogicContext m_Context;
    CTestPortEnumerator m_Ports;
    std::unique_ptr<kvsim::CLoggerSimulator> m_Sim;
    kvsim::CPelorinDevice* m_pDevice = nullptr;
    std::unique_ptr<CLogicManager> m_pLogic;
    std::unique_ptr<CHubRecorder> m_Recorder;

    // Whether the device counts as a Bluetooth serial link.
    bool m_bBluetoothPort = false;

private:
    QList<CSesnorProperties*> m_OwnedSensors;
};
