#pragma once
// Runs a piece of work on the logic manager's thread (the interface thread): at once when the
// caller is already there, otherwise queued to it. Nothing runs without a logic manager.
#include "Core/Logic/LogicManager.h"

#include <QMetaObject>
#include <QThread>

#include <utility>

template <typename Fn>
void OnInterfaceThread(CLogicManager* logic, Fn fn)
{
    if (!logic)
        return;
    if (QThread::currentThread() == logic->thread())
        fn();
    else
        QMetaObject::invokeMethod(logic, std::move(fn), Qt::QueuedConnection);
}
