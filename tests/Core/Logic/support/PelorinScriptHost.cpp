#include "PelorinScriptHost.h"

bool CPelorinScriptHost::ReadSetup(Pelorin::SetupView& out)
{
    if (!hasSetup)
        return false;
    out = setup;
    return true;
}

void CPelorinScriptHost::WriteCalibrationPair(int position, float gain, float offset)
{
    if (position >= 0 && position < 8) {
        pairs[position][0] = gain;
        pairs[position][1] = offset;
    }
}

void CPelorinScriptHost::ConvertAndStoreRows(ILogger*, const double* rows, int rowCount, int count,
                                             const unsigned char* positions, bool download)
{
    for (int r = 0; r < rowCount; ++r)
        ConvertAndStoreRow(rows + r * count, count, positions, download);
}

void CPelorinScriptHost::ConvertAndStoreRow(const double* row, int count, const unsigned char* positions, bool download)
{
    QStringList values;
    for (int i = 0; i < count; ++i)
        values << QString::number(row[i], 'g', 10);
    QStringList pos;
    for (int i = 0; positions && i < count; ++i)
        pos << QString::number(positions[i]);
    calls << QStringLiteral("store [%1] at [%2]%3")
                 .arg(values.join(QLatin1Char(' ')), pos.join(QLatin1Char(' ')),
                      download ? QStringLiteral(" download") : QString());
}

double CPelorinScriptHost::CalculateTimingValue(int gate, qint64 time, bool unblock, ILogger*, bool& valid)
{
    calls << QStringLiteral("timing %1 %2 %3").arg(gate).arg(time).arg(unblock);
    if (gate < 0 || timingResults.isEmpty())
        return -1.0;
    const double r = timingResults.takeFirst();
    if (r >= 0 || qIsInf(r))
        valid = true;
    return r;
}

bool CPelorinScriptHost::AppendTimingResult(double x, double y)
{
    if (!timingBranch)
        return false;
    timingPoints << qMakePair(x, y);
    return true;
}

void CPelorinScriptHost::ReportPortRemoval(const QString& name, quint16 vendor, quint16 product)
{
    calls << QStringLiteral("removal '%1' %2 %3").arg(name).arg(vendor, 4, 16, QLatin1Char('0')).arg(product, 4, 16, QLatin1Char('0'));
}

void CPelorinScriptHost::Announce(PelorinEvent event, int arg)
{
    static const char* names[] = {"StatusArrived", "NewDataArrived", "ExperimentEnd", "SnapShotArrived",
                                  "DownloadStarted", "DownloadFinished", "ShutDown", "SetRangeFinished",
                                  "EndDetection", "EnteredBootLoader"};
    calls << QStringLiteral("signal %1 %2").arg(QLatin1String(names[int(event)])).arg(arg);
}

QStringList CPelorinScriptHost::Calls(const QString& prefix) const
{
    QStringList out;
    for (const QString& c : calls)
        if (c.startsWith(prefix))
            out << c;
    return out;
}
