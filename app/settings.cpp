// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/settings.h"

#include <QCoreApplication>
#include <QStandardPaths>

Settings::Settings()
    : QSettings(localDataPath(QCoreApplication::applicationName() + QStringLiteral(".ini")),
                QSettings::IniFormat)
{
}

QString Settings::localDataDir()
{
    const QString home = QStandardPaths::writableLocation(QStandardPaths::HomeLocation);
    return home + QStringLiteral("/Quenlor/") + QCoreApplication::applicationName() + QLatin1Char('/');
}

QString Settings::localDataPath(const QString& name)
{
    return localDataDir() + name;
}

QStringList Settings::languageNames()
{
    return {QStringLiteral("English"), QStringLiteral("Українська")};
}

QStringList Settings::languageCodes()
{
    return {QStringLiteral("en"), QStringLiteral("uk")};
}
