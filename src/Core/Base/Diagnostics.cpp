#include "Core/Base/Diagnostics.h"

#include <QLoggingCategory>
#include <QThread>

namespace {

struct ModuleTag
{
    int module;
    const char* tag;
};

const ModuleTag s_tags[] = {
    {1, "Logic           >> "},  {2, "Gui             >> "},  {3, "Serial          >> "},
    {4, "Cyclic          >> "},  {5, "Data Manager    >> "},  {10, "Ostrevo(Pro)    >> "},
    {11, "Ostrevo(Han)    >> "}, {12, "Ostrevo(Man)    >> "}, {13, "Ostrevo(Bt )    >> "},
    {21, "Dravlet(Pro)    >> "}, {22, "Dravlet(Han)    >> "}, {23, "Dravlet(Man)    >> "},
    {30, "Tamrel (Pro)    >> "}, {31, "Tamrel (Han)    >> "}, {32, "Tamrel (Man)    >> "},
    {33, "Tamrel (Hid)    >> "}, {40, "Pelorin  (Pro)  >> "}, {41, "Pelorin  (Man)  >> "},
    {42, "Pelorin  (Han)  >> "}, {43, "Terravoxb       >> "}, {44, "Graph           >> "},
};

// One category per layer; all start with debug output off.
Q_LOGGING_CATEGORY(lcLogic, "korvanta.logic", QtInfoMsg)
Q_LOGGING_CATEGORY(lcGui, "korvanta.gui", QtInfoMsg)
Q_LOGGING_CATEGORY(lcSerial, "korvanta.serial", QtInfoMsg)
Q_LOGGING_CATEGORY(lcData, "korvanta.data", QtInfoMsg)
Q_LOGGING_CATEGORY(lcDravlet, "korvanta.dravlet", QtInfoMsg)
Q_LOGGING_CATEGORY(lcPelorin, "korvanta.pelorin", QtInfoMsg)
Q_LOGGING_CATEGORY(lcUpload, "korvanta.upload", QtInfoMsg)
Q_LOGGING_CATEGORY(lcGraph, "korvanta.graph", QtInfoMsg)
Q_LOGGING_CATEGORY(lcOther, "korvanta.other", QtInfoMsg)

const QLoggingCategory& categoryOf(int module)
{
    switch (module) {
    case 1: return lcLogic();
    case 2: return lcGui();
    case 3:
    case 4: return lcSerial();
    case 5: return lcData();
    case 21:
    case 22:
    case 23: return lcDravlet();
    case 40:
    case 41:
    case 42: return lcPelorin();
    case 43: return lcUpload();
    case 44: return lcGraph();
    default: return lcOther();
    }
}

QString hexBytes(const unsigned char* data, int count)
{
    if (!data || count < 1) return QString();
    static const char digits[] = "0123456789ABCDEF";
    QString out;
    out.reserve(count * 3);
    for (int i = 0; i < count; ++i) {
        out += QLatin1Char(digits[data[i] >> 4]);
        out += QLatin1Char(digits[data[i] & 0x0F]);
        out += QLatin1Char(' ');
    }
    return out;
}

} // namespace

QString DiagnosticsModuleTag(int module)
{
    for (const ModuleTag& t : s_tags)
        if (t.module == module) return QString::fromLatin1(t.tag);
    return QString();
}

bool DiagnosticsEnabled(int module)
{
    return categoryOf(module).isDebugEnabled();
}

void MyOutputDebugString(const char* text, int module)
{
    const QLoggingCategory& cat = categoryOf(module);
    if (!cat.isDebugEnabled()) return;
    const QString line = QString::asprintf("(%4x)", unsigned(quintptr(QThread::currentThreadId()) & 0xFFFFu))
                         + DiagnosticsModuleTag(module) + QString::fromUtf8(text ? text : "");
    qCDebug(cat).noquote() << line;
}

void MyOutputDebugString(const QString& text, int module)
{
    if (!categoryOf(module).isDebugEnabled()) return;
    MyOutputDebugString(text.toUtf8().constData(), module);
}

QString CBytes2String::Convert(const unsigned char* data, int count)
{
    return hexBytes(data, count);
}

QString CBytes2String::Convert(const char* data, int count)
{
    return hexBytes(reinterpret_cast<const unsigned char*>(data), count);
}

QString CBytes2String::Convert(const QString& text, const unsigned char* data, int count)
{
    return text + hexBytes(data, count);
}

QString CBytes2String::Convert(const QString& text, const char* data, int count)
{
    return text + hexBytes(reinterpret_cast<const unsigned char*>(data), count);
}

QString CBytes2String::Convert(const unsigned char* data)
{
    if (!data) return QString();
    return QLatin1Char(' ') + hexBytes(data, 1).trimmed();
}

unsigned char CHex2Dec::DecimalToHex(int value)
{
    // Read the hexadecimal digits as decimal ones: 0x59 -> 59.
    unsigned v = unsigned(value);
    int result = 0, scale = 1;
    while (v != 0 && scale <= 100000000) {
        result += int(v & 0xF) * scale;
        v >>= 4;
        scale *= 10;
    }
    return static_cast<unsigned char>(result % 256);
}

unsigned char CHex2Dec::HexToDecimal(short value)
{
    const int v = value < 0 ? -int(value) : int(value);
    const int low = v % 10, high = (v / 10) % 10;
    return static_cast<unsigned char>((high << 4) | low);
}

CBluetoothHelper_linux* CBluetoothHelper_linux::getInstance()
{
    static CBluetoothHelper_linux* s_instance = new CBluetoothHelper_linux();
    return s_instance;
}
