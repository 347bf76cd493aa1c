#pragma once
// Answers for the graph's questions in tests: the scripted prompter, which answers the graph's
// questions No unless a test says otherwise, and platform services that record what would have
// been opened.
#include "windowbase/PlatformServices.h"
#include "common/RecordingPlatform.h"
#include "common/ScriptedPrompter.h"

using CGraphTestPlatform = CRecordingPlatform;

// Installs both for the life of a test.
struct CGraphServicesScope
{
    CScriptedPrompter prompter;
    CGraphTestPlatform platform;
    CGraphServicesScope()
    {
        prompter.m_bYes = false;
        SetWindowPlatformServices(&platform);
    }
    ~CGraphServicesScope() { SetWindowPlatformServices(nullptr); }
};
