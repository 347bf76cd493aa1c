#include "upload/UploadEndpoint.h"

#include <QSettings>
#include <QStandardPaths>

QString TerravoxDefaultHost()
{
    // Nothing leaves the computer until the user names the service's host: the login sends
    // the password as typed, over plain http.
    return QStringLiteral("localhost");
}

QString TerravoxSettingsPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::ConfigLocation) + QStringLiteral("/KV4Settings.ini");
}

QUrl TerravoxEndpointForHost(const QString& host)
{
    const QString trimmed = host.trimmed();
    if (trimmed.isEmpty())
        return QUrl();
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(trimmed, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty())
        return QUrl();
    url.setPort(TerravoxPort);
    url.setPath(QString());
    return url;
}

QUrl TerravoxEndpoint(const QString& settingsPath)
{
    const QByteArray override = qgetenv(TerravoxUrlVariable);
    if (!override.isEmpty()) {
        const QUrl url(QString::fromUtf8(override), QUrl::StrictMode);
        if (url.isValid() && url.scheme() == QLatin1String("http") && !url.host().isEmpty())
            return url;
    }
    QSettings file(settingsPath.isEmpty() ? TerravoxSettingsPath() : settingsPath, QSettings::IniFormat);
    const QUrl configured = TerravoxEndpointForHost(file.value(QLatin1String(TerravoxHostKey)).toString());
    return configured.isEmpty() ? TerravoxEndpointForHost(TerravoxDefaultHost()) : configured;
}
