#include "upload/XMLPackets.h"

#include <algorithm>

bool XMLDataPacket::CreateDataPacketWithSize(int n)
{
    if (!valueLists)
        valueLists.reset(new QVector<QStringList>(std::max(n, 0)));
    else
        ResetDataPacket();
    return true;
}

void XMLDataPacket::ResetDataPacket()
{
    if (!valueLists)
        return;
    for (QStringList& list : *valueLists)
        list = QStringList();
}

XMLDataPacket* XMLDataPacket::NextPart() const
{
    auto* next = new XMLDataPacket;
    next->kind = kind;
    next->sensorCount = sensorCount;
    next->keys = keys;
    return next;
}
