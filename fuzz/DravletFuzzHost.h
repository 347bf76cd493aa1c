#pragma once
// The Dravlet handler's host and a handler that writes nowhere, shared by the fuzz targets of
// the receive machine and of the whole handler. The host accepts everything and checks what
// the handler hands it: rows no wider than a packet holds, positions beside every row, zeros
// of no more channels than the interface has.
#include "Core/Logic/Dravlet/DravletProtocolHandler.h"

#include <cstdlib>

namespace {

class FuzzHost : public IDravletHost
{
public:
    DravletSetupView ReadSetup() override { return setup; }
    void CreateRunEntries(int kind) override
    {
        if (kind != 1 && kind != 3)
            std::abort();
    }
    void InitBeforeRun() override { stored = 0; }
    void ConvertAndStore(const double* row, int count, const unsigned char* positions) override
    {
        if (count < 0 || count > DravletData::s_MaxValues || (count > 0 && (!row || !positions)))
            std::abort();
        for (int i = 0; i < count; ++i)
            sink += row[i] + positions[i];
        ++stored;
    }
    void ConvertAndStoreLastOnlineSamples(int count, const unsigned char* positions) override
    {
        if (count < 0 || count > DravletData::s_MaxValues || (count > 0 && !positions))
            std::abort();
        for (int i = 0; i < count; ++i)
            sink += positions[i];
    }
    qint64 SamplesStored() override { return stored; }
    double CalculateTimingValue(unsigned char, double a, double b, double c, double d, double e) override
    {
        return a - b + c - d + e;
    }
    bool HasTimingBranch() override { return timingBranch; }
    bool AppendTimingResult(double x, double y) override
    {
        sink += x + y;
        return timingBranch;
    }
    void LoggerIdentified(bool) override {}
    void UpdateSetupInfoFromCore() override {}
    void RequestFirmwareUpload() override {}
    void StoreSnapshotReadings(const int* readings, int count) override
    {
        if (count < 0 || count > DravletSetupView::s_Channels || (count > 0 && !readings))
            std::abort();
        for (int i = 0; i < count; ++i)
            sink += readings[i];
    }
    bool RelayOn() override { return relay; }
    void SetRelayOn(bool on) override { relay = on; }
    int PreviousEventValue() override { return previous; }
    void SetPreviousEventValue(int v) override { previous = v; }
    void SetLastTimingRun() override {}
    void LoggerStartDetection() override {}
    QString LastPort() override { return QString(); }
    bool LastPortKnown() override { return false; }
    void SetLastPort(const QString&) override {}
    void SetLastPortKnown(bool) override {}
    void SaveSettings() override {}
    void UpdateSensorsInfo() override {}
    void SendSetupCmd(bool) override {}
    void SendRunCmd(bool) override {}
    void SendTimingRunCmd(bool) override {}
    void SendManualSampleCmd(bool) override {}
    ExperimentRunMode RunMode() override { return ExperimentRunMode(runMode); }
    void LoggerEndDetection(bool) override {}
    void LoggerStatusArrived(int) override {}
    void LoggerExperimentEnd() override {}
    void LoggerNewDataArrived() override {}
    void LoggerSnapShotArrived() override {}

    DravletSetupView setup;
    qint64 stored = 0;
    double sink = 0;
    bool relay = false;
    bool timingBranch = true;
    int previous = -1;
    int runMode = 0;
};

class FuzzHandler : public CDravletProtocolHandler
{
public:
    // The silence watch keeps its real length: it depends on the clock, and an input's
    // outcome must not.
    FuzzHandler() { m_StopDelayMs = 0; }

protected:
    bool WriteFrame(const unsigned char*, int) override { return true; }
};

} // namespace
