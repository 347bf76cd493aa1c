#pragma once
// How a logger's host raises the hub's signals: on the interface thread, in the order the
// logger's threads raised them. A call made there raises at once; a logger thread hands the
// signal over (queued). The new-data signals of a burst share one hand-over and are all raised
// on it. Both loggers' hosts raise every hub signal through one of these.
#include <atomic>
#include <functional>
#include <memory>

class CKorvantaSignals;
class ILogicServices;

class CHubHandOver
{
public:
    // logic: whose hub and interface thread; null raises nothing.
    explicit CHubHandOver(ILogicServices* logic) : m_pLogic(logic) {}
    CHubHandOver(const CHubHandOver&) = delete;
    CHubHandOver& operator=(const CHubHandOver&) = delete;

    void Raise(const std::function<void(CKorvantaSignals*)>& raise);
    void RaiseNewData();

private:
    ILogicServices* m_pLogic;
    // Shared with the hand-over under way, which may run after this object is gone.
    std::shared_ptr<std::atomic<int>> m_pPendingNewData = std::make_shared<std::atomic<int>>(0);
};
