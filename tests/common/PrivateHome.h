// A home folder of the test program's own, so that the settings files it writes in the test
// configuration folder are not read or replaced by test programs running at the same time.
#pragma once

#include <QStandardPaths>
#include <QTemporaryDir>

// Call before anything asks for a standard path; returns false when no folder could be made.
inline bool UsePrivateHome(const QTemporaryDir& home)
{
    if (!home.isValid())
        return false;
    qputenv("HOME", home.path().toLocal8Bit());
    QStandardPaths::setTestModeEnabled(true);
    return true;
}
