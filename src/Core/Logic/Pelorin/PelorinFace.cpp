#include "Core/Logic/Pelorin/PelorinFace.h"

#include "Core/Base/CommandParameters.h"
#include "Core/Logic/Pelorin/PelorinDiagnostics.h"
#include "Core/Logic/Pelorin/PelorinFirmwareFile.h"
#include "Core/Logic/Pelorin/PelorinManager.h"
#include "platform/PortEnumerator.h"

Q_LOGGING_CATEGORY(lcPelorin, "korvanta.pelorin", QtInfoMsg)

short CPelorinFace::TimingRunCommand() const { return CmdTimingRun; }

bool CPelorinFace::OffersLegacySensor(int index, bool keep) const
{
    // The logger reads none of these legacy sensors; all but the first may stay on a setup that
    // holds them already.
    if (index == 25)
        return false;
    const bool unread = index == 21 || index == 23 || index == 48 || index == 61;
    return keep || !unread;
}

bool CPelorinFace::ConvertsRawTriggerLevels(unsigned short dataKind, bool placeholder) const
{
    return (dataKind == 4096 && placeholder) || dataKind == 0 || dataKind == 4;
}

bool CPelorinFace::IsUsbDevice(const CPortInfo& info)
{
    return info.vendorID == 0x0483 && info.productID == 0x5740;
}

bool CPelorinFace::ClaimsUnplug(const CPortInfo& info) const
{
    // A Bluetooth serial link counts as well: on Linux that is how the logger's Bluetooth port
    // shows itself.
    return IsUsbDevice(info) || info.enumName == QLatin1String("BTHENUM") ||
           info.enumName.contains(QLatin1String("Pelorin")) || info.bluetooth;
}

bool CPelorinFace::ClaimsPlug(const CPortInfo& info) const
{
    return ClaimsUnplug(info) || info.friendName.contains(QLatin1String("bt port"), Qt::CaseInsensitive);
}

QString CPelorinFace::FirmwareFileProblem(const QString& path) const
{
    return PelorinFirmwareFile::Explain(PelorinFirmwareFile::Check(path));
}

CPelorinManager* NewPelorinManager(ILogicServices* logic, IPortEnumerator* ports)
{
    auto* manager = new CPelorinManager(logic);
    manager->SetPortEnumerator(ports);
    return manager;
}

void DeletePelorinManager(CPelorinManager* manager)
{
    if (!manager)
        return;
    manager->SetPortEnumerator(nullptr);
    delete manager;
}

ILoggerFace* PelorinFaceOf(CPelorinManager* manager) { return manager; }

CPelorinManager* PelorinManagerOf(ILoggerFace* face) { return dynamic_cast<CPelorinManager*>(face); }

const CLoggerKind& PelorinKind()
{
    static CPelorinFace face;
    // A search tries the Dravlet interface's ports before the Pelorin's.
    static const CLoggerKind kind{
        face, 1,
        [](ILogicServices* logic, IPortEnumerator* ports) -> ILoggerFace* {
            return PelorinFaceOf(NewPelorinManager(logic, ports));
        },
        [](ILoggerFace* manager) { DeletePelorinManager(PelorinManagerOf(manager)); },
    };
    return kind;
}
