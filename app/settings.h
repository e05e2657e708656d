// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSettings>
#include <QStringList>

// The application's one ini file below the home folder. Short-lived: create
// one on the stack, read or write, let it go.
class Settings : public QSettings
{
    Q_OBJECT
public:
    Settings();

    // Both follow the application name at call time.
    static QString localDataDir();
    static QString localDataPath(const QString& name);

    // The language table: index = what the dialogs show and "language" stores.
    static QStringList languageNames();
    static QStringList languageCodes();
};
