// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/application.h"

#include "app/mainwindow.h"
#include "app/runguard.h"

#include <QApplication>
#include <QMessageBox>

namespace {
const char kApplicationName[] = "Quenlor Ampora";
const char kApplicationVersion[] = "1.0.6";
const char kInstanceKey[] = "quenlor-ampora-single-instance";
} // namespace

int runApplication(int argc, char* argv[])
{
    RunGuard guard(QString::fromLatin1(kInstanceKey));
    QCoreApplication::setApplicationName(QString::fromLatin1(kApplicationName));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(kApplicationVersion));
    QApplication app(argc, argv);

    if (!guard.tryToRun()) {
        QMessageBox::warning(nullptr, QObject::tr("Can't launch"),
                             QObject::tr("Another instance of the Ampora already running. Terminate it please."),
                             QMessageBox::Ok);
        return 0;
    }

    QApplication::setStyle(QStringLiteral("fusion"));
    MainWindow window;
    window.show();
    return app.exec();
}
