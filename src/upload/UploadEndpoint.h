#pragma once
// Where the online service is reached: plain http on port 8080, every call posted to the
// server root. The host is the entry "Terravox/Host" of the settings file (KV4Settings.ini in
// the user's configuration folder); the environment variable KORVANTA_TERRAVOX_URL, a whole
// http URL, overrides it so tests and trials can point the program at a stand-in service.
#include <QString>
#include <QUrl>

constexpr int TerravoxPort = 8080;
constexpr const char* TerravoxUrlVariable = "KORVANTA_TERRAVOX_URL";
constexpr const char* TerravoxHostKey = "Terravox/Host";

// The host used when the settings file names none (or names something that is not a host).
QString TerravoxDefaultHost();
// The settings file the host is read from.
QString TerravoxSettingsPath();
// The endpoint from the variable, else from the settings file at settingsPath (default:
// TerravoxSettingsPath()).
QUrl TerravoxEndpoint(const QString& settingsPath = QString());
// The endpoint for a host (empty when the host is not usable).
QUrl TerravoxEndpointForHost(const QString& host);
