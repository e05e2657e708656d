// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

// Asks the update server whether newer software or firmware exists.
// Until the update service is wired up it only keeps the interface the main
// window and the settings dialogs talk to, and reports nothing new.
class Updater : public QObject
{
    Q_OBJECT
public:
    explicit Updater(QObject* parent = nullptr);

    void on_checkUpdatesSW();
    void on_checkUpdatesFW(const QString& serial);
    void on_deviceConnected(const QString& serial);

signals:
    void newSWAvailable(bool available);
    void newFWAvailable(bool available);
};
