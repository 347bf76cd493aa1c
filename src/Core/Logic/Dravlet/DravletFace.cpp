#include "Core/Logic/Dravlet/DravletFace.h"

#include "Core/Base/CommandParameters.h"
#include "Core/Logic/Dravlet/DravletDiagnostics.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Logic/Dravlet/DravletManagerHost.h"
#include "Core/Logic/Dravlet/DravletManager.h"
#include "platform/PortEnumerator.h"

#include <QCoreApplication>

Q_LOGGING_CATEGORY(lcDravlet, "korvanta.dravlet", QtInfoMsg)

int CDravletFace::SharedTopRate(int rateCode) const
{
    if (rateCode == 13)
        return 10000;
    return rateCode == 14 ? 100000 : 0;
}

bool CDravletFace::ConvertsRawTriggerLevels(unsigned short dataKind, bool) const
{
    return dataKind == 4096;
}

short CDravletFace::TimingRunCommand() const { return CmdRun; }

bool CDravletFace::AllowsRunNow(const CSetupInfo* setup) const
{
    if (!setup || (setup->m_RateCode != 13 && setup->m_RateCode != 15))
        return true;
    const qint64 ms = MsSinceLastRun();
    return ms < 1 || ms >= s_RecoveryMs;
}

bool CDravletFace::TakesStatusRequest(ILogger* logger, const CSetupInfo* setup) const
{
    // Asked only while idle: a run's data leave no room for a status reply.
    return logger && !logger->IsRunning() && AllowsRunNow(setup);
}

QString CDravletFace::FirmwareRefusal() const
{
    // Its firmware is not transferred by this program: the command would put nothing on the
    // wire and only hold up the interface's queue.
    return QCoreApplication::translate("CLogicManager",
                                       "The firmware of the Dravlet interface cannot be updated by this program. "
                                       "Nothing was sent to it, and it is ready for the next run.");
}

bool CDravletFace::ClaimsPlug(const CPortInfo& info) const
{
    return info.vendorID == CDravletManager::s_VendorId && info.productID == CDravletManager::s_ProductId;
}

CDravletManager* NewDravletManager(ILogicServices* logic, IPortEnumerator* ports)
{
    auto* manager = new CDravletManager(static_cast<IDravletHost*>(nullptr), ports);
    manager->AdoptHost(std::make_unique<CDravletManagerHost>(logic, manager));
    return manager;
}

void DeleteDravletManager(CDravletManager* manager) { delete manager; }

ILoggerFace* DravletFaceOf(CDravletManager* manager) { return manager; }

CDravletManager* DravletManagerOf(ILoggerFace* face) { return dynamic_cast<CDravletManager*>(face); }

const CLoggerKind& DravletKind()
{
    static CDravletFace face;
    // A search tries the interface's ports first.
    static const CLoggerKind kind{
        face, 0,
        [](ILogicServices* logic, IPortEnumerator* ports) -> ILoggerFace* {
            return DravletFaceOf(NewDravletManager(logic, ports));
        },
        [](ILoggerFace* manager) { DeleteDravletManager(DravletManagerOf(manager)); },
    };
    return kind;
}
