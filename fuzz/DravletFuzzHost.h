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
    void CreateDataEntries(int kind) override
    {
        if (kind != 1 && kind != 3)
            std::abort();
    }
    void InitBeforeRun() override { stored = 0; }
    void ConvertAndStoreRows(const double* rows, int rowCount, int count, const unsigned char* positions) override
    {
        if (rowCount < 0 || count < 0 || count > DravletData::s_MaxValues ||
            (rowCount > 0 && count > 0 && (!rows || !positions)))
            std::abort();
        for (int r = 0; r < rowCount; ++r) {
            for (int i = 0; i < count; ++i)
                sink += rows[r * count + i] + positions[i];
            ++stored;
        }
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
    void WriteSnapshot(const QList<int>& values) override
    {
        if (values.size() > DravletSetupView::s_Channels)
            std::abort();
        for (int v : values)
            sink += v;
    }
    bool RelayOn() override { return relay; }
    void SetRelayOn(bool on) override { relay = on; }
    int PreviousEventValue() override { return previous; }
    void SetPreviousEventValue(int v) override { previous = v; }
    void SetLastTimingRun() override {}
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
    void Announce(DravletEvent, int) override {}

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
