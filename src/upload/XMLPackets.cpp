#include "upload/XMLPackets.h"

#include <algorithm>

bool XMLDataPacket::CreateDataPacketWithSize(int n)
{
    if (valueLists.isEmpty())
        valueLists.resize(std::max(n, 0));
    else
        ResetDataPacket();
    return true;
}

void XMLDataPacket::ResetDataPacket()
{
    for (QStringList& list : valueLists)
        list = QStringList();
}

XMLDataPacket XMLDataPacket::NextPart() const
{
    XMLDataPacket next;
    next.kind = kind;
    next.sensorCount = sensorCount;
    next.keys = keys;
    return next;
}
