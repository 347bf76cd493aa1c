#pragma once
// The scripted prompter of the shell tests, answering the colour chooser as well.
#include "common/ScriptedPrompter.h"

#include <QColor>

class CSetupPrompter : public CScriptedPrompter
{
public:
    QColor getColor(QWidget*, const QColor& initial) override
    {
        m_Log << "color|" + initial.name();
        return m_Color;
    }
    // The last box shown, without its kind.
    QString lastText() const { return m_Log.isEmpty() ? QString() : m_Log.last().section('|', 2); }

    QColor m_Color;
};
