#pragma once
// Platform services that record what would have been opened (a CSV file, a help page) instead
// of starting another program.
#include "windowbase/PlatformServices.h"

#include <QStringList>

class CRecordingPlatform : public IPlatformServices
{
public:
    QStringList m_Opened;
    bool m_bAnswer = true;
    bool openLocalFile(const QString& path) override
    {
        m_Opened << path;
        return m_bAnswer;
    }
};
