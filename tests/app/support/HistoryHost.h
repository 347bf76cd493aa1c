#pragma once
// The parent of a history window in the history tests: a plain widget with the signal hub.
#include "windowbase/ChildWindowHost.h"
#include "Core/Base/KorvantaSignals.h"

#include <QWidget>

class CHistoryTestHost : public QWidget, public IChildWindowHost
{
public:
    bool AlignToGrid() const override { return false; }
    CKorvantaSignals* GetSignals() const override { return const_cast<CKorvantaSignals*>(&m_Hub); }
    CKorvantaSignals m_Hub;
};
