#pragma once
// Functions computed while recording. The table of registered functions lives in the logic
// manager; the calculator works on it after every stored block, on the thread that stores the
// samples, while the user-interface thread registers, clears and (at run start, through the
// data store) binds the records. Every access to the table therefore goes through the
// calculator's table lock.
#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

#include "Core/Data/RunServices.h"
#include "analysis/ExtremeScan.h"

class CDataBranch;
class CDataManager;

// One registered online function. Channels, measurements and keys of a source are -1 when the
// function has no such source.
struct OnLineFunctionInfo
{
    short m_FunctionId = -1;
    int m_G1Channel = -1;
    int m_G2Channel = -1;
    int m_G1SensorIndex = -1;
    int m_G2SensorIndex = -1;
    int m_G1Measurement = 0;
    int m_G2Measurement = 0;
    unsigned char m_G1CatalogueValue = 255;
    unsigned char m_G2CatalogueValue = 255;
    bool m_bG1AsTime = false;
    bool m_bG2AsTime = false;
    double m_A = 0.0;
    double m_B = 0.0;
    double m_C = 0.0;
    QString m_Name;
    QString m_Unit;
    short m_UnitPrefix = 0;
    int m_G1Key = -1;
    int m_G2Key = -1;
    CDataBranch* m_pG1Branch = nullptr;
    CDataBranch* m_pG2Branch = nullptr;
    CDataBranch* m_pOutBranch = nullptr;
    // Index of the last source sample dealt with.
    qint64 m_G1Position = -1;
    qint64 m_G2Position = -1;
    // Where the extreme scan of the envelopes and the frequency stands: the last extreme found
    // (-1000 when none yet), the last sample judged and the envelope since that extreme.
    ExtremeScanState m_Extremes;
    // The two sources were aligned at the last step (two-source functions).
    bool m_bMatched = false;
};

enum { MaxOnLineFunctions = 10 };

class CCalculateOnLineFunctions : public QObject
{
public:
    explicit CCalculateOnLineFunctions(QObject* parent = nullptr);

    // The logic manager points the calculator at its table and count once, in its constructor.
    // Without a table every operation does nothing (AddOnLineFunction returns false).
    void SetTable(OnLineFunctionInfo* table, short* count);

    // Stores a new record at the position given by the count; false when 10 are present.
    bool AddOnLineFunction(int g1SensorIndex, int g2SensorIndex, int g1Channel, int g2Channel,
                           int g1CatalogueValue, int g2CatalogueValue, int g1Measurement,
                           int g2Measurement, QString name, QString unit, short unitPrefix,
                           short functionId, double a, double b, double c, int g1Key, int g2Key,
                           bool g1AsTime, bool g2AsTime);

    // Empties the table (count 0) under the table lock; use this rather than writing the count.
    void ClearOnLineFunctions();
    // Takes out every record `drop` says goes, the rest keeping their order, under the table
    // lock; the names of those taken out, in table order.
    QStringList DropOnLineFunctions(const std::function<bool(const OnLineFunctionInfo&)>& drop);
    short GetNumOnLineFunctions();

    // One computation pass over every record, on the samples stored since the last pass.
    void CalculateOnLineFunctions();

    // A branch is about to be deleted: every record that reads or writes it lets go of it, so
    // no later pass touches freed memory. Call before the branch is freed.
    void BranchDeleted(const CDataBranch* branch);

    // A run's folder was created: points every record at the run's source branches
    // (keyTable[channel][measurement], -1 where none) and gives it an output branch in the
    // folder, under the table lock.
    void BindRun(CDataManager& data, int folderKey,
                 const int keyTable[IRunServices::NumKeyChannels][IRunServices::NumKeyMeasurements],
                 double interval);
    QMutex* TableMutex() { return &m_TableMutex; }
    static void ResetRunProgress(OnLineFunctionInfo& record);

private:
    QMutex m_TableMutex;
    OnLineFunctionInfo* m_pTable = nullptr;
    short* m_pCount = nullptr;
};
