// Arbitrary text as the KORVANTA_EXTRA_PORTS list: every entry is either taken, with a path
// and the ids it named, or left out with a description; nothing else.
#include "platform/PortEnumerator.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 4096)
        return 0;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), int(size));
    QStringList errors;
    const QList<CPortInfo> ports = CSerialPortEnumerator::parseExtraPorts(text, &errors);
    const int entries = text.split(QLatin1Char(','), Qt::SkipEmptyParts).size();
    if (ports.size() + errors.size() > entries)
        std::abort();
    for (const CPortInfo& p : ports) {
        if (p.portName.isEmpty() || p.enumName != QLatin1String("extra") || p.portName.contains(QLatin1Char(',')))
            std::abort();
    }
    return 0;
}
