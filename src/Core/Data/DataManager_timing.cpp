// Timing-run results: each logger's room computes them from its own events and hands them
// over here, one at a time, into the run's timing series.
#include <algorithm>

#include "Core/Data/DataManager.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/Globals.h"

bool CDataManager::AppendTimingResult(double x, double y, int slot)
{
    const CDataFolder* folder = GetLastDataFolder();
    CDataBranch* branch = (folder && folder->GetNumberBranches() > 0) ? GetDataBranch(folder->GetBranchKey(0)) : nullptr;
    if (!branch)
        return false;
    // A collision's results take turns, the first gate's and then the other's: where a
    // passage was missed a gap keeps the turns, so every result stays under its gate.
    double at = std::max(x, double(branch->GetXSize()));
    if (slot >= 0 && branch->GetXSize() % 2 != slot) {
        branch->AddSample(at, MissingValue);
        at += 1.0;
    }
    return branch->AddSample(at, y);
}
