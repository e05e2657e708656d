// SPDX-License-Identifier: GPL-3.0-or-later
// The update checker against a real HTTPS server on loopback and the
// simulated unit.
#include "app/settings.h"
#include "device/hiddevice.h"
#include "httpsserver.h"
#include "sim/simulatedunit.h"
#include "updates/downloader.h"
#include "updates/updater.h"

#include <QDateTime>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrlQuery>

using sim::Bus;
using sim::Model;

Q_DECLARE_METATYPE(Model)

namespace {
QByteArray versionDocument(const QByteArray& version)
{
    return "<update><VERSION>" + version + "</VERSION><INFO>notes</INFO></update>";
}

QVariant stored(const QString& key)
{
    return Settings().value(QStringLiteral("Update/") + key);
}
} // namespace

class TestUpdater : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    HttpsServer m_server;

    std::unique_ptr<Updater> updater()
    {
        auto updater = std::make_unique<Updater>();
        updater->softwareDownloader()->addCaCertificates({m_server.certificate()});
        updater->firmwareDownloader()->addCaCertificates({m_server.certificate()});
        return updater;
    }

    void attach(Model model, const char* serial)
    {
        Bus::instance().clear();
        Bus::instance().addUnit(model, serial);
        HidDevice* hid = HidDevice::device();
        hid->stop();
        QVERIFY(hid->searchDevice(true));
        QCOMPARE(hid->serialNumber(), QString::fromLatin1(serial));
    }

    bool checkFirmware(Updater& updater, const QString& argument)
    {
        QSignalSpy answered(&updater, &Updater::newFWAvailable);
        updater.on_checkUpdatesFW(argument);
        return answered.wait(20000) && answered.count() == 1 && answered.first().first().toBool();
    }

private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName(QStringLiteral("Ampora"));
        QCoreApplication::setApplicationVersion(QStringLiteral("1.0.6"));
        QVERIFY(m_dir.isValid());
        QVERIFY2(m_server.makeCertificate(m_dir.path()), "openssl could not make a test certificate");
        QVERIFY(m_server.listen(QHostAddress::LocalHost));
    }

    void init()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        Settings settings;
        settings.clear();
        settings.setValue(QStringLiteral("Update/server"), m_server.url().toString());
        // Keep the start-up software check out of the tests that are not about it.
        settings.setValue(QStringLiteral("Update/software"), QDateTime::currentMSecsSinceEpoch());
    }

    void cleanupTestCase()
    {
        delete HidDevice::device();
    }

    void softwareVersions_data()
    {
        QTest::addColumn<QByteArray>("reported");
        QTest::addColumn<bool>("newer");
        QTest::newRow("newer patch, two digits") << QByteArray("1.0.10") << true;
        QTest::newRow("equal") << QByteArray("1.0.6") << false;
        QTest::newRow("older") << QByteArray("0.9.999") << false;
        QTest::newRow("two parts") << QByteArray("1.1") << false;
        QTest::newRow("newer major") << QByteArray("2.0.0") << true;
    }

    void softwareVersions()
    {
        QFETCH(QByteArray, reported);
        QFETCH(bool, newer);
        m_server.setRoute(QStringLiteral("/getsoftware"), {versionDocument(reported)});
        Settings().remove(QStringLiteral("Update/software"));
        auto checker = updater();
        QSignalSpy answered(checker.get(), &Updater::newSWAvailable);
        checker->on_checkUpdatesSW();
        QVERIFY(answered.wait(20000));
        QCOMPARE(answered.first().first().toBool(), newer);
        QCOMPARE(m_server.requests().last(), QStringLiteral("/getsoftware?model=ampora&os=linux"));
        QCOMPARE(stored(QStringLiteral("sw-version")).toString(), QString::fromLatin1(reported));
        QCOMPARE(stored(QStringLiteral("has-new-sw")).toBool(), newer);
        QVERIFY(!checker->needCheckForUpdate(QString()));
    }

    void firmwareRiseIsNewOnlyOnce()
    {
        attach(Model::Power500, "500212345678");
        m_server.setRoute(QStringLiteral("/getfirmware"), {versionDocument("2.0.1")});
        auto checker = updater();
        QVERIFY(checkFirmware(*checker, QString()));
        QCOMPARE(stored(QStringLiteral("fw-version")).toString(), QStringLiteral("2.0.1"));
        QCOMPARE(stored(QStringLiteral("has-new-fw")).toBool(), true);
        QVERIFY(!checkFirmware(*checker, QString()));
        QCOMPARE(stored(QStringLiteral("has-new-fw")).toBool(), false);
        QVERIFY(stored(QStringLiteral("firmware_500212345678")).toLongLong() > 0);
    }

    void firmwareQueryNamesAttachedUnit_data()
    {
        QTest::addColumn<Model>("model");
        QTest::addColumn<QByteArray>("serial");
        QTest::addColumn<QString>("modelName");
        QTest::addColumn<QString>("revision");
        QTest::newRow("600") << Model::Power600 << QByteArray("500398765432") << "kelvanepower600" << "1";
        QTest::newRow("500") << Model::Power500 << QByteArray("500212345678") << "kelvanepower" << "1";
    }

    void firmwareQueryNamesAttachedUnit()
    {
        QFETCH(Model, model);
        QFETCH(QByteArray, serial);
        QFETCH(QString, modelName);
        QFETCH(QString, revision);
        attach(model, serial.constData());
        m_server.setRoute(QStringLiteral("/getfirmware"), {versionDocument("1.0.0")});
        auto checker = updater();
        checkFirmware(*checker, QStringLiteral("000000042")); // the argument does not enter the query
        const QUrl asked(m_server.requests().last());
        QCOMPARE(asked.path(), QStringLiteral("/getfirmware"));
        const QUrlQuery query(asked);
        QCOMPARE(query.queryItems(), (QList<QPair<QString, QString>>{
                                         {QStringLiteral("app"), QStringLiteral("ampora")},
                                         {QStringLiteral("model"), modelName},
                                         {QStringLiteral("revision"), revision},
                                         {QStringLiteral("sn"), QString::fromLatin1(serial)},
                                         {QStringLiteral("os"), QStringLiteral("win")}}));
    }

    // A failed request answers "nothing new", overwrites the version and
    // leaves the next check due.
    void failedCheckStaysDue()
    {
        m_server.setRoute(QStringLiteral("/getsoftware"), {"<html>down</html>", "text/html", 500});
        Settings().remove(QStringLiteral("Update/software"));
        Settings().setValue(QStringLiteral("Update/sw-version"), QStringLiteral("9.9.9"));
        auto checker = updater();
        QSignalSpy answered(checker.get(), &Updater::newSWAvailable);
        checker->on_checkUpdatesSW();
        QVERIFY(answered.wait(20000));
        QCOMPARE(answered.first().first().toBool(), false);
        QCOMPARE(stored(QStringLiteral("sw-version")).toString(), QString());
        QVERIFY(checker->needCheckForUpdate(QString()));
    }

    // The start-up check runs once; within the day a new start asks nothing.
    void softwareChecksAtMostOnceADay()
    {
        m_server.setRoute(QStringLiteral("/getsoftware"), {versionDocument("1.0.7")});
        Settings().remove(QStringLiteral("Update/software"));
        const int before = m_server.requests().size();
        {
            auto first = updater();
            QSignalSpy answered(first.get(), &Updater::newSWAvailable);
            QVERIFY(answered.wait(Updater::kFirstCheckDelayMs + 15000));
        }
        QCOMPARE(m_server.requests().size(), before + 1);
        auto second = updater();
        QTest::qWait(Updater::kFirstCheckDelayMs + 1000);
        QCOMPARE(m_server.requests().size(), before + 1);
    }

    // The caller's serial (a logger's nine digits, or the unit's own) keys
    // the once-a-day test.
    void firmwareChecksAtMostOnceADayPerUnit_data()
    {
        QTest::addColumn<QString>("serial");
        QTest::newRow("unit serial") << "500398765432";
        QTest::newRow("logger serial") << "000012345";
    }

    void firmwareChecksAtMostOnceADayPerUnit()
    {
        QFETCH(QString, serial);
        attach(Model::Power600, "500398765432");
        m_server.setRoute(QStringLiteral("/getfirmware"), {versionDocument("1.0.0")});
        auto checker = updater();
        const int before = m_server.requests().size();
        QSignalSpy answered(checker.get(), &Updater::newFWAvailable);
        checker->on_deviceConnected(serial);
        QVERIFY(answered.wait(20000));
        checker->on_deviceConnected(serial);
        QTest::qWait(500);
        QCOMPARE(answered.count(), 1);
        QCOMPARE(m_server.requests().size(), before + 1);
    }

    void onlyWebLinksOpen_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<bool>("web");
        QTest::newRow("https") << "https://updates.quenlor.example/ampora-1.0.7.deb" << true;
        QTest::newRow("http") << "http://updates.quenlor.example/a.deb" << true;
        QTest::newRow("file") << "file:///etc/passwd" << false;
        QTest::newRow("program") << "/usr/bin/xterm" << false;
        QTest::newRow("javascript") << "javascript:alert(1)" << false;
        QTest::newRow("no host") << "https:///a.deb" << false;
        QTest::newRow("empty") << "" << false;
    }

    void onlyWebLinksOpen()
    {
        QFETCH(QString, link);
        QTEST(Updater::isWebLink(QUrl(link, QUrl::StrictMode)), "web");
    }
};

QTEST_GUILESS_MAIN(TestUpdater)
#include "tst_updater.moc"
