// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/runguard.h"
#include "app/settings.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QUuid>

class TestShell : public QObject
{
    Q_OBJECT

private:
    static QString probePath() { return QCoreApplication::applicationDirPath() + QStringLiteral("/runguard_probe"); }

    // Runs the probe and waits until it has printed its verdict.
    static QString startProbe(QProcess& process, const QString& key, const QString& mode)
    {
        process.start(probePath(), {key, mode});
        if (!process.waitForStarted(10000) || !process.waitForReadyRead(10000))
            return QStringLiteral("no answer");
        return QString::fromLatin1(process.readLine()).trimmed();
    }

    static QString uniqueKey() { return QStringLiteral("ampora-test-") + QUuid::createUuid().toString(QUuid::Id128); }

private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName(QStringLiteral("Quenlor Ampora"));
    }

    void keyHash_data()
    {
        QTest::addColumn<QString>("key");
        QTest::newRow("plain") << QStringLiteral("quenlor-ampora-single-instance");
        QTest::newRow("empty") << QString();
        QTest::newRow("non-latin") << QStringLiteral("Українська ключ");
    }
    void keyHash()
    {
        QFETCH(QString, key);
        const QRegularExpression hex(QStringLiteral("^[0-9a-f]{40}$"));
        const QString memLock = generateKeyHash(key, QStringLiteral("_memLockKey"));
        const QString shared = generateKeyHash(key, QStringLiteral("_sharedmemKey"));
        QVERIFY(hex.match(memLock).hasMatch());
        QVERIFY(hex.match(shared).hasMatch());
        QVERIFY(memLock != shared);
    }

    void keyHashIsSha1OfKeyAndSalt()
    {
        // SHA-1("abc"), with the key and salt simply concatenated.
        QCOMPARE(generateKeyHash(QStringLiteral("a"), QStringLiteral("bc")),
                 QStringLiteral("a9993e364706816aba3e25717850c26c9cd0d89d"));
    }

    void settingsLocation_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("ini") << QStringLiteral("Quenlor Ampora.ini");
        QTest::newRow("json") << QStringLiteral("settings.json");
        QTest::newRow("empty") << QString();
    }
    void settingsLocation()
    {
        QFETCH(QString, name);
        const QString home = QStandardPaths::writableLocation(QStandardPaths::HomeLocation);
        QCOMPARE(Settings::localDataDir(), home + QStringLiteral("/Quenlor/Quenlor Ampora/"));
        QCOMPARE(Settings::localDataPath(name), Settings::localDataDir() + name);
    }

    void settingsFileFollowsApplicationName()
    {
        {
            Settings settings;
            settings.setValue(QStringLiteral("Options/probe"), 42);
            QCOMPARE(settings.fileName(), Settings::localDataPath(QStringLiteral("Quenlor Ampora.ini")));
        }
        QVERIFY(QFile::exists(Settings::localDataPath(QStringLiteral("Quenlor Ampora.ini"))));
        Settings reread;
        QCOMPARE(reread.value(QStringLiteral("Options/probe")).toInt(), 42);
    }

    void languageTable()
    {
        QCOMPARE(Settings::languageNames(), (QStringList{QStringLiteral("English"), QStringLiteral("Українська")}));
        QCOMPARE(Settings::languageCodes(), (QStringList{QStringLiteral("en"), QStringLiteral("uk")}));
    }

    void guardInOneProcess()
    {
        const QString key = uniqueKey();
        RunGuard first(key);
        QVERIFY(!first.isAnotherRunning());
        QVERIFY(first.tryToRun());
        QVERIFY(!first.isAnotherRunning()); // its own segment does not count

        RunGuard second(key);
        QVERIFY(second.isAnotherRunning());
        QVERIFY(!second.tryToRun());

        first.release();
        QVERIFY(!second.isAnotherRunning());
        QVERIFY(second.tryToRun());
    }

    void secondProcessIsRefused()
    {
        const QString key = uniqueKey();
        QProcess holder;
        QCOMPARE(startProbe(holder, key, QStringLiteral("hold")), QStringLiteral("run"));

        QProcess second;
        QCOMPARE(startProbe(second, key, QStringLiteral("try")), QStringLiteral("blocked"));
        QVERIFY(second.waitForFinished(10000));

        holder.closeWriteChannel();
        QVERIFY(holder.waitForFinished(10000));
        QCOMPARE(holder.exitCode(), 0);

        QProcess third;
        QCOMPARE(startProbe(third, key, QStringLiteral("try")), QStringLiteral("run"));
        QVERIFY(third.waitForFinished(10000));
    }

    void crashedInstanceDoesNotBlock()
    {
        const QString key = uniqueKey();
        QProcess crashed;
        QCOMPARE(startProbe(crashed, key, QStringLiteral("crash")), QStringLiteral("run"));
        QVERIFY(crashed.waitForFinished(10000));

        QProcess next;
        QCOMPARE(startProbe(next, key, QStringLiteral("try")), QStringLiteral("run"));
        QVERIFY(next.waitForFinished(10000));
    }
};

QTEST_GUILESS_MAIN(TestShell)
#include "tst_shell.moc"
