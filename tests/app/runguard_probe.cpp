// SPDX-License-Identifier: GPL-3.0-or-later
// A process that takes the single-instance guard, for tests across processes.
//   runguard_probe <key> try    prints "run" or "blocked", then exits
//   runguard_probe <key> hold   prints "run" or "blocked", then holds the guard until stdin closes
//   runguard_probe <key> crash  prints "run", then dies without releasing anything
#include "app/runguard.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    const QString mode = QString::fromLatin1(argv[2]);
    RunGuard guard(QString::fromLatin1(argv[1]));
    const bool running = guard.tryToRun();
    std::printf("%s\n", running ? "run" : "blocked");
    std::fflush(stdout);
    if (mode == QLatin1String("crash"))
        _exit(0); // no destructors: the segment stays behind unreleased
    if (mode == QLatin1String("hold")) {
        char c;
        while (read(STDIN_FILENO, &c, 1) > 0) {
        }
    }
    return 0;
}
