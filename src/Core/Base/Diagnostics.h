#pragma once
// Diagnostics of every module, and the byte renderings the logger stacks log their frames with.
#include <QObject>
#include <QString>

class QLoggingCategory;

// Module numbers of the parts every logger shares; the tag table in Diagnostics.cpp names them.
// A logger's room describes its own modules (CDiagnosticsModule).
enum DiagnosticsModule {
    DiagLogic = 1,
    DiagGui = 2,
    DiagSerial = 3,
    DiagCyclic = 4,
    DiagDataManager = 5,
    DiagUpload = 43,
    DiagGraph = 44
};

// A module a logger's room describes for itself: the tag its lines start with (16 characters
// and " >> ") and the logging category they go to, which the room defines.
struct CDiagnosticsModule
{
    const char* tag;
    const QLoggingCategory& (*category)();
};

// Composes "(thread) tag text" and hands it to the module's logging category. With the
// categories at their default (debug off) the call returns before formatting anything, so
// the logger threads may call it for every frame. Enable with
// QT_LOGGING_RULES="korvanta.*.debug=true".
void MyOutputDebugString(const char* text, int module);
void MyOutputDebugString(const QString& text, int module);
void MyOutputDebugString(const char* text, const CDiagnosticsModule& module);
void MyOutputDebugString(const QString& text, const CDiagnosticsModule& module);

// The 16-character tag plus " >> " of a module number; empty for numbers without a tag.
QString DiagnosticsModuleTag(int module);
QString DiagnosticsModuleTag(const CDiagnosticsModule& module);
// True when the module's diagnostics are switched on (lets callers skip building a text).
bool DiagnosticsEnabled(int module);
bool DiagnosticsEnabled(const CDiagnosticsModule& module);

class CBytes2String
{
public:
    static QString Convert(const unsigned char* data, int count);
    static QString Convert(const char* data, int count);
    static QString Convert(const QString& text, const unsigned char* data, int count);
    static QString Convert(const QString& text, const char* data, int count);
    // One byte, after one blank.
    static QString Convert(const unsigned char* data);
};

class CHex2Dec
{
public:
    // 0x25 -> 25: the byte whose decimal digits are the hexadecimal digits of value, modulo 256.
    static unsigned char DecimalToHex(int value);
    // 25 -> 0x25: the packed-decimal byte of the two lowest decimal digits of value.
    static unsigned char HexToDecimal(short value);
};

// Bluetooth serial links are recognised by port name on Linux (see the port enumerator);
// this helper exists for the callers that ask it and never reports a connection here.
class CBluetoothHelper : public QObject
{
    Q_OBJECT
public:
    explicit CBluetoothHelper(QObject* parent = nullptr) : QObject(parent) {}
    virtual bool init() { return false; }
    virtual bool IsConnected2Serial() { return false; }
    virtual void release() {}
};

class CBluetoothHelper_linux : public CBluetoothHelper
{
    Q_OBJECT
public:
    static CBluetoothHelper_linux* getInstance();

private:
    CBluetoothHelper_linux() = default;
};
