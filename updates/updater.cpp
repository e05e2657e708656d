// SPDX-License-Identifier: GPL-3.0-or-later
#include "updates/updater.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcUpdater, "ampora.updater")

Updater::Updater(QObject* parent)
    : QObject(parent)
{
}

void Updater::on_checkUpdatesSW()
{
    qCDebug(lcUpdater) << "Updater::on_checkUpdatesSW: no update service configured";
}

void Updater::on_checkUpdatesFW(const QString& serial)
{
    qCDebug(lcUpdater) << "Updater::on_checkUpdatesFW: no update service configured for" << serial;
}

void Updater::on_deviceConnected(const QString& serial)
{
    on_checkUpdatesFW(serial);
}
