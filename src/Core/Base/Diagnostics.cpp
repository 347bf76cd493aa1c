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
    {1, "Logic           >> "}, {2, "Gui             >> "},  {3, "Serial          >> "},
    {4, "Cyclic          >> "}, {5, "Data Manager    >> "}, {43, "Terravoxb       >> "},
    {44, "Graph           >> "},
};

// One category per layer (each logger's room defines its own); all start with debug output off.
Q_LOGGING_CATEGORY(lcLogic, "korvanta.logic", QtInfoMsg)
Q_LOGGING_CATEGORY(lcGui, "korvanta.gui", QtInfoMsg)
Q_LOGGING_CATEGORY(lcSerial, "korvanta.serial", QtInfoMsg)
Q_LOGGING_CATEGORY(lcData, "korvanta.data", QtInfoMsg)
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
    case 43: return lcUpload();
    case 44: return lcGraph();
    default: return lcOther();
    }
}

// "(thread) tag text" to the category; the caller has found its debug output on.
void writeLine(const QLoggingCategory& cat, const QString& tag, const char* text)
{
    const QString line = QString::asprintf("(%4x)", unsigned(quintptr(QThread::currentThreadId()) & 0xFFFFu))
                         + tag + QString::fromUtf8(text ? text : "");
    qCDebug(cat).noquote() << line;
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

QString DiagnosticsModuleTag(const CDiagnosticsModule& module)
{
    return QString::fromLatin1(module.tag ? module.tag : "");
}

bool DiagnosticsEnabled(const CDiagnosticsModule& module)
{
    return module.category && module.category().isDebugEnabled();
}

void MyOutputDebugString(const char* text, int module)
{
    const QLoggingCategory& cat = categoryOf(module);
    if (!cat.isDebugEnabled()) return;
    writeLine(cat, DiagnosticsModuleTag(module), text);
}

void MyOutputDebugString(const QString& text, int module)
{
    if (!categoryOf(module).isDebugEnabled()) return;
    MyOutputDebugString(text.toUtf8().constData(), module);
}

void MyOutputDebugString(const char* text, const CDiagnosticsModule& module)
{
    if (!DiagnosticsEnabled(module)) return;
    writeLine(module.category(), DiagnosticsModuleTag(module), text);
}

void MyOutputDebugString(const QString& text, const CDiagnosticsModule& module)
{
    if (!DiagnosticsEnabled(module)) return;
    writeLine(module.category(), DiagnosticsModuleTag(module), text.toUtf8().constData());
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
