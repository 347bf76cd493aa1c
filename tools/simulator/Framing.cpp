#include "simulator/DeviceModel.h"

namespace kvsim {

int SkipToSync(const unsigned char* data, int size, unsigned char s0, unsigned char s1)
{
    if (!data || size < 1) return 0;
    for (int i = 0; i < size; ++i) {
        if (data[i] != s0) continue;
        if (i + 1 == size || data[i + 1] == s1) return -i;
    }
    return -size;
}

int LengthByteFrame(const unsigned char* data, int size,
                    const std::function<int(const unsigned char*, int)>& zeroLength, unsigned char s0,
                    unsigned char s1)
{
    const int skip = SkipToSync(data, size, s0, s1);
    if (skip < 0) return skip;
    if (size < 3) return 0;
    const int length = data[2];
    if (length == 0) return zeroLength ? zeroLength(data, size) : 3;
    const int total = 3 + length;
    return size >= total ? total : 0;
}

int OpcodeLengthFrame(const unsigned char* data, int size, const std::function<int(unsigned char)>& lengthOf,
                      unsigned char s0, unsigned char s1)
{
    const int skip = SkipToSync(data, size, s0, s1);
    if (skip < 0) return skip;
    if (size < 3) return 0;
    const int total = lengthOf ? lengthOf(data[2]) : 0;
    if (total < 3) return -2; // unknown opcode: drop the sync pair and hunt again
    return size >= total ? total : 0;
}

QByteArray BuildLengthByteFrame(unsigned char opcode, const QByteArray& payload, unsigned char s0,
                                unsigned char s1)
{
    if (payload.size() > 254) return QByteArray();
    QByteArray frame;
    frame.reserve(4 + payload.size());
    frame.append(char(s0));
    frame.append(char(s1));
    frame.append(char(1 + payload.size()));
    frame.append(char(opcode));
    frame.append(payload);
    return frame;
}

} // namespace kvsim
