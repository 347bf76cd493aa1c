// The notes window's workspace record read from arbitrary bytes. A record that reads to its end
// tag is written again and must read back to the same fields. Every other outcome is acceptable
// except a crash, a hang or a runaway allocation.
#include "table/NotesRecord.h"

#include <QByteArray>
#include <QDataStream>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {
bool SameFields(const CNotesRecord& a, const CNotesRecord& b)
{
    const bool aNoBackground = !a.background.isValid() || a.background.alpha() == 0;
    const bool bNoBackground = !b.background.isValid() || b.background.alpha() == 0;
    return a.html == b.html && a.fontFamily == b.fontFamily && a.fontSize == b.fontSize && a.bold == b.bold
        && a.italic == b.italic && a.underline == b.underline && a.alignmentIndex == b.alignmentIndex
        && (!a.hasTextColor || a.textColor.rgb() == b.textColor.rgb()) && aNoBackground == bNoBackground
        && (aNoBackground || a.background.rgb() == b.background.rgb());
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1 << 20)
        return 0;
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), int(size));
    QDataStream in(bytes);
    CNotesRecord record;
    if (ReadNotesRecord(in, record, nullptr) != CNotesRecord::Ok)
        return 0;
    QByteArray again;
    {
        QDataStream out(&again, QIODevice::WriteOnly);
        if (!WriteNotesFields(out, record))
            abort();
    }
    QDataStream back(again);
    CNotesRecord reread;
    if (ReadNotesRecord(back, reread, nullptr) != CNotesRecord::Ok || !SameFields(record, reread))
        abort();
    return 0;
}
