#pragma once
// Runs a piece of work on the logic manager's thread (the interface thread): at once when the
// caller is already there, otherwise queued to it. Nothing runs without a logic manager.
#include "Core/Logic/LogicServices.h"

#include <QObject>

#include <QMetaObject>
#include <QThread>

#include <utility>

template <typename Fn>
void OnInterfaceThread(ILogicServices* logic, Fn fn)
{
    if (!logic)
        return;
    if (QThread::currentThread() == logic->InterfaceObject()->thread())
        fn();
    else
        QMetaObject::invokeMethod(logic->InterfaceObject(), std::move(fn), Qt::QueuedConnection);
}
