// SPDX-License-Identifier: GPL-3.0-or-later
// The downloader against a real HTTPS server on loopback.
#include "httpsserver.h"
#include "updates/downloader.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QByteArray kInfo = "<?xml version=\"1.0\"?><update><VERSION>2.0.1</VERSION>"
                         "<INFO>Faster start</INFO><LINK>https://127.0.0.1/fw.bin</LINK></update>";
} // namespace

class TestDownloader : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    HttpsServer m_server;

    // A downloader that trusts the test server's certificate, and only that.
    std::unique_ptr<Downloader> trustingDownloader()
    {
        auto downloader = std::make_unique<Downloader>();
        downloader->addCaCertificates({m_server.certificate()});
        return downloader;
    }

    // Fetches path as information and waits for the answer.
    void fetchInfo(Downloader& downloader, const QString& path)
    {
        QSignalSpy done(&downloader, &Downloader::downloadInfoComplete);
        downloader.startDownloadInfo(m_server.url(path));
        QVERIFY(done.wait(20000));
        QCOMPARE(done.count(), 1);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY2(m_server.makeCertificate(m_dir.path()), "openssl could not make a test certificate");
        QVERIFY(m_server.listen(QHostAddress::LocalHost));
    }

    void init()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    }

    void readsInformationDocument_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("info");
        QTest::addColumn<QString>("link");
        QTest::newRow("full") << kInfo << "2.0.1" << "Faster start" << "https://127.0.0.1/fw.bin";
        QTest::newRow("no INFO") << QByteArray("<r><VERSION>1.0.10</VERSION><OTHER>x</OTHER></r>")
                                 << "1.0.10" << "Version info:" << "";
        QTest::newRow("any root, order kept") << QByteArray("<a><LINK>l1</LINK><LINK>l2</LINK><INFO>i</INFO></a>")
                                              << "" << "i" << "l2";
    }

    void readsInformationDocument()
    {
        QFETCH(QByteArray, body);
        m_server.setRoute(QStringLiteral("/info"), {body});
        auto downloader = trustingDownloader();
        fetchInfo(*downloader, QStringLiteral("/info"));
        QVERIFY(downloader->error().isEmpty());
        QTEST(downloader->version(), "version");
        QTEST(downloader->info(), "info");
        QTEST(downloader->downloadLink(), "link");
        QCOMPARE(downloader->state(), Downloader::kIdle);
    }

    void malformedXmlKeepsPreviousResults()
    {
        m_server.setRoute(QStringLiteral("/good"), {kInfo});
        m_server.setRoute(QStringLiteral("/bad"), {"<update><VERSION>9.9.9</VERSION>"});
        auto downloader = trustingDownloader();
        fetchInfo(*downloader, QStringLiteral("/good"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Wrong XML content: .*\\[line \\d+ column \\d+\\]$")));
        fetchInfo(*downloader, QStringLiteral("/bad"));
        QCOMPARE(downloader->version(), QStringLiteral("2.0.1"));
        QCOMPARE(downloader->downloadLink(), QStringLiteral("https://127.0.0.1/fw.bin"));
    }

    // Every failure still completes, with the error as info and no link left.
    void networkErrorsComplete_data()
    {
        QTest::addColumn<bool>("trusted");
        QTest::addColumn<bool>("serverUp");
        QTest::newRow("certificate not trusted") << false << true;
        QTest::newRow("connection refused") << true << false;
    }

    void networkErrorsComplete()
    {
        QFETCH(bool, trusted);
        QFETCH(bool, serverUp);
        m_server.setRoute(QStringLiteral("/info"), {kInfo});
        HttpsServer down;
        QVERIFY(down.listen(QHostAddress::LocalHost));
        const QUrl url = serverUp ? m_server.url(QStringLiteral("/info")) : down.url(QStringLiteral("/info"));
        down.close();

        auto downloader = trusted ? trustingDownloader() : std::make_unique<Downloader>();
        downloader->parse(kInfo); // a link from an earlier answer
        QVERIFY(downloader->hasDownloadLink());
        QSignalSpy done(downloader.get(), &Downloader::downloadInfoComplete);
        downloader->startDownloadInfo(url);
        QVERIFY(done.wait(20000));
        QVERIFY(!downloader->error().isEmpty());
        QCOMPARE(downloader->info(), downloader->error());
        QVERIFY(!downloader->hasDownloadLink());
    }

    void htmlAnswerToFirmwareRequest()
    {
        m_server.setRoute(QStringLiteral("/info"),
                          {"<r><VERSION>2.0.1</VERSION><LINK>" + m_server.url(QStringLiteral("/fw.bin")).toEncoded() + "</LINK></r>"});
        m_server.setRoute(QStringLiteral("/fw.bin"), {"<!DOCTYPE html><html><body>gone</body></html>", "text/html"});
        auto downloader = trustingDownloader();
        fetchInfo(*downloader, QStringLiteral("/info"));
        QSignalSpy done(downloader.get(), &Downloader::downloadFileComplete);
        downloader->startDownloadFw();
        QVERIFY(done.wait(20000));
        QCOMPARE(downloader->error(), QStringLiteral("Server does not have firmware file."));
        QCOMPARE(downloader->info(), downloader->error());
    }

    void firmwareFileArrivesWithProgress()
    {
        const QByteArray image(5000, '\x5a');
        m_server.setRoute(QStringLiteral("/info"),
                          {"<r><LINK>" + m_server.url(QStringLiteral("/fw.bin")).toEncoded() + "</LINK></r>"});
        m_server.setRoute(QStringLiteral("/fw.bin"), {image, "application/octet-stream"});
        auto downloader = trustingDownloader();
        fetchInfo(*downloader, QStringLiteral("/info"));
        QSignalSpy done(downloader.get(), &Downloader::downloadFileComplete);
        QSignalSpy progress(downloader.get(), &Downloader::progress);
        downloader->startDownloadFw();
        QVERIFY(done.wait(20000));
        QVERIFY(downloader->error().isEmpty());
        QCOMPARE(downloader->file(), image);
        QVERIFY(!progress.isEmpty());
        QCOMPARE(progress.last().at(0).toLongLong(), qint64(image.size()));
    }

    void stalledTransferIsAborted()
    {
        m_server.setRoute(QStringLiteral("/info"),
                          {"<r><LINK>" + m_server.url(QStringLiteral("/slow.bin")).toEncoded() + "</LINK></r>"});
        m_server.setRoute(QStringLiteral("/slow.bin"), {QByteArray(700, 'x'), "application/octet-stream", 200, true});
        auto downloader = trustingDownloader();
        downloader->setStallTimeoutMs(500);
        fetchInfo(*downloader, QStringLiteral("/info"));
        QString errorAtCompletion;
        connect(downloader.get(), &Downloader::downloadFileComplete, this,
                [&] { errorAtCompletion = downloader->error(); });
        QSignalSpy done(downloader.get(), &Downloader::downloadFileComplete);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("transfer stalled")));
        downloader->startDownloadFw();
        QVERIFY(done.wait(20000));
        QVERIFY(!errorAtCompletion.isEmpty());
        QCOMPARE(downloader->state(), Downloader::kIdle);
        QVERIFY(downloader->file().isEmpty());
        QVERIFY(!downloader->hasDownloadLink());
        QCOMPARE(downloader->error(), QStringLiteral("The download stalled and was stopped."));
        QTest::qWait(800); // the watchdog must not fire a second completion
        QCOMPARE(done.count(), 1);
    }

    void informationRequestHasNoWatchdog()
    {
        m_server.setRoute(QStringLiteral("/slowinfo"), {"<r>", "application/xml", 200, true});
        auto downloader = trustingDownloader();
        downloader->setStallTimeoutMs(200);
        QSignalSpy done(downloader.get(), &Downloader::downloadInfoComplete);
        downloader->startDownloadInfo(m_server.url(QStringLiteral("/slowinfo")));
        QVERIFY(!done.wait(1500));
        QCOMPARE(downloader->state(), Downloader::kBusy);
    }

    void oneRequestAtATime()
    {
        m_server.setRoute(QStringLiteral("/first"), {kInfo});
        m_server.setRoute(QStringLiteral("/second"), {"<r><VERSION>3.0.0</VERSION></r>"});
        auto downloader = trustingDownloader();
        const int before = m_server.requests().size();
        QSignalSpy done(downloader.get(), &Downloader::downloadInfoComplete);
        downloader->startDownloadInfo(m_server.url(QStringLiteral("/first")));
        downloader->startDownloadInfo(m_server.url(QStringLiteral("/second")));
        downloader->startDownloadFw();
        QVERIFY(done.wait(20000));
        QTest::qWait(300);
        QCOMPARE(done.count(), 1);
        QCOMPARE(m_server.requests().mid(before), QStringList{QStringLiteral("/first")});
        QCOMPARE(downloader->version(), QStringLiteral("2.0.1"));
    }

    void htmlDetection_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("html");
        QTest::newRow("page") << QByteArray("<!DOCTYPE html>\n<html><body/></html>") << true;
        QTest::newRow("upper case") << QByteArray("<HTML></HTML>") << false;
        QTest::newRow("image") << QByteArray("\x10\x07\x23\x20 binary") << false;
    }

    void htmlDetection()
    {
        QFETCH(QByteArray, body);
        QTEST(Downloader::isHTML(body), "html");
    }
};

QTEST_GUILESS_MAIN(TestDownloader)
#include "tst_downloader.moc"
