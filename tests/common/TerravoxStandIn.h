#pragma once
// The stand-in of the online service (tools/terravox) run as a child process on a free
// loopback port, with the knobs a test asks for, and its record of calls read back.
#include "upload/UploadEndpoint.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

class CTerravoxStandIn
{
public:
    ~CTerravoxStandIn() { stop(); }

    // Starts the service; knobs are its command-line options ("--delay", "SendReading=0.2").
    // On success the endpoint variable points the next controller at it.
    bool start(const QStringList& knobs = {})
    {
        const QString script = QString::fromLocal8Bit(qgetenv("KORVANTA_SOURCE_DIR"))
                               + QStringLiteral("/tools/terravox/terravox_standin.py");
        if (!QFile::exists(script) || !m_Dir.isValid())
            return false;
        m_LogPath = m_Dir.filePath(QStringLiteral("calls.jsonl"));
        // The system's interpreter where there is one: a version manager's shim in front of it
        // is a shell script that takes seconds to start on a loaded machine.
        const QString system = QStringLiteral("/usr/bin/python3");
        m_Process.setProgram(QFile::exists(system) ? system : QStringLiteral("python3"));
        m_Process.setArguments(QStringList{script, QStringLiteral("--port"), QStringLiteral("0"),
                                           QStringLiteral("--log"), m_LogPath}
                               + knobs);
        m_Process.setProcessChannelMode(QProcess::SeparateChannels);
        m_Process.start();
        if (!m_Process.waitForStarted(30000))
            return false;
        // The service prints its address once it listens; it is waited for as long as the
        // process runs (a loaded machine may take long to start an interpreter), up to a
        // limit that only a hung service reaches.
        QByteArray out;
        QElapsedTimer clock;
        clock.start();
        while (!out.contains('\n') && m_Process.state() == QProcess::Running && clock.elapsed() < 120000) {
            m_Process.waitForReadyRead(200);
            out += m_Process.readAllStandardOutput();
        }
        out += m_Process.readAllStandardOutput();
        const QByteArray prefix = QByteArray(TerravoxUrlVariable) + '=';
        const int at = out.indexOf(prefix);
        if (at < 0)
            return false;
        m_Url = QUrl(QString::fromLatin1(out.mid(at + prefix.size()).split('\n').first().trimmed()));
        qputenv(TerravoxUrlVariable, m_Url.toString().toLatin1());
        return m_Url.isValid();
    }

    void stop()
    {
        if (m_Process.state() != QProcess::NotRunning) {
            m_Process.kill();
            m_Process.waitForFinished(3000);
        }
        qunsetenv(TerravoxUrlVariable);
    }

    QUrl url() const { return m_Url; }

    // Every call the service saw, in order.
    QList<QJsonObject> calls() const { return entries(QStringLiteral("method")); }
    // The method of every request as it arrived, answered or not.
    QStringList requestedMethods() const
    {
        QStringList out;
        for (const QJsonObject& r : requests())
            out << r.value(QStringLiteral("call")).toString();
        return out;
    }
    // The HTTP side of every request: call, agent, type, path, body_start.
    QList<QJsonObject> requests() const
    {
        QList<QJsonObject> out;
        for (const QJsonObject& e : entries(QStringLiteral("http")))
            out << e.value(QStringLiteral("http")).toObject();
        return out;
    }
    QList<QJsonObject> entries(const QString& key) const
    {
        QList<QJsonObject> out;
        QFile file(m_LogPath);
        if (!file.open(QIODevice::ReadOnly))
            return out;
        for (const QByteArray& line : file.readAll().split('\n'))
            if (!line.trimmed().isEmpty()) {
                const QJsonObject entry = QJsonDocument::fromJson(line).object();
                if (entry.contains(key))
                    out << entry;
            }
        return out;
    }
    QStringList methods() const
    {
        QStringList out;
        for (const QJsonObject& call : calls())
            out << call.value(QStringLiteral("method")).toString();
        return out;
    }
    QList<QJsonObject> callsOf(const QString& method) const
    {
        QList<QJsonObject> out;
        for (const QJsonObject& call : calls())
            if (call.value(QStringLiteral("method")).toString() == method)
                out << call;
        return out;
    }

private:
    QTemporaryDir m_Dir;
    QString m_LogPath;
    QProcess m_Process;
    QUrl m_Url;
};
