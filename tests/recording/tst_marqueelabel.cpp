// SPDX-License-Identifier: GPL-3.0-or-later
#include "recording/marqueelabel.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(Qt::CursorShape)

namespace {
constexpr int kWidth = 200;

QByteArray document(const QByteArray& messages)
{
    return "{\"messages\": [" + messages + "]}";
}

bool containsColour(const QImage& image, QRgb colour)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF))
                return true;
        }
    }
    return false;
}
} // namespace

class TestMarqueeLabel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void overCurrentDocument();
    void fields_data();
    void fields();
    void brokenDocumentIsRefused();
    void loadAppendsAndReadsFiles();
    void setStrings();
    void scrollsBySpeed();
    void pauseBeforeNextMessage();
    void textColour_data();
    void textColour();
    void link_data();
    void link();
};

void TestMarqueeLabel::init()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
}

void TestMarqueeLabel::overCurrentDocument()
{
    const QByteArray expected = "{\"messages\": [{\"message\": \"     Attention! The current has exceeded 1A.     \","
                                "\"timeoutafter\": 0,\"textcolor\": \"dddd00\",\"speed\": 2,\"enddate\": \"21211231\"}]}";
    const QByteArray built = MarqueeLabel::overCurrentDocument(QStringLiteral("Attention! The current has exceeded 1A."));
    QCOMPARE(built, expected);

    MarqueeLabel label;
    QVERIFY(label.load(built));
    QCOMPARE(label.strings().size(), 1);
    const MarqueeString message = label.strings().constFirst();
    QCOMPARE(message.message, QStringLiteral("     Attention! The current has exceeded 1A.     "));
    QCOMPARE(message.textcolor, QColor(0xdd, 0xdd, 0x00));
    QCOMPARE(message.speed, 2);
    QCOMPARE(message.timeoutafter, 0);
    QCOMPARE(label.speed(), 2);
    QCOMPARE(label.text(), message.message);

    // A translation with quotes must still give a readable document.
    QVERIFY(label.load(MarqueeLabel::overCurrentDocument(QStringLiteral("\"1A\" \\"))));
    QCOMPARE(label.strings().at(1).message, QStringLiteral("     \"1A\" \\     "));
}

void TestMarqueeLabel::fields_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("linkto");
    QTest::addColumn<int>("timeoutafter");
    QTest::addColumn<QColor>("textcolor");
    QTest::addColumn<double>("size");
    QTest::addColumn<QStringList>("keywords");
    QTest::addColumn<int>("speed");

    QTest::newRow("defaults") << QByteArray("{}") << QString() << QString() << 0 << QColor() << 100.0 << QStringList()
                              << 1;
    QTest::newRow("every key")
        << QByteArray(R"({"message": "m", "linkto": "https://x.invalid/", "timeoutafter": 3, "textcolor": "#00ff00",)"
                      R"( "size": 50.5, "keywords": "a,b", "speed": 4, "other": 1})")
        << "m" << "https://x.invalid/" << 3 << QColor(0, 255, 0) << 50.5 << QStringList{"a", "b"} << 4;
    QTest::newRow("colour without #") << QByteArray(R"({"textcolor": "dddd00"})") << QString() << QString() << 0
                                      << QColor(0xdd, 0xdd, 0x00) << 100.0 << QStringList() << 1;
    QTest::newRow("named colour") << QByteArray(R"({"textcolor": "red"})") << QString() << QString() << 0
                                  << QColor(Qt::red) << 100.0 << QStringList() << 1;
    QTest::newRow("no colour") << QByteArray(R"({"textcolor": "nocolour"})") << QString() << QString() << 0 << QColor()
                               << 100.0 << QStringList() << 1;
    QTest::newRow("negative pause") << QByteArray(R"({"timeoutafter": -5})") << QString() << QString() << 0 << QColor()
                                    << 100.0 << QStringList() << 1;
}

void TestMarqueeLabel::fields()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, message);
    QFETCH(QString, linkto);
    QFETCH(int, timeoutafter);
    QFETCH(QColor, textcolor);
    QFETCH(double, size);
    QFETCH(QStringList, keywords);
    QFETCH(int, speed);

    MarqueeLabel label;
    QVERIFY(label.load(document(json)));
    QCOMPARE(label.strings().size(), 1);
    const MarqueeString read = label.strings().constFirst();
    QCOMPARE(read.message, message);
    QCOMPARE(read.linkto, linkto);
    QCOMPARE(read.timeoutafter, timeoutafter);
    QCOMPARE(read.textcolor, textcolor);
    QCOMPARE(read.size, size);
    QCOMPARE(read.keywords, keywords);
    QCOMPARE(read.speed, speed);
    QCOMPARE(label.speed(), speed);
}

void TestMarqueeLabel::brokenDocumentIsRefused()
{
    MarqueeLabel label;
    QVERIFY(label.load(document(R"({"message": "kept"})")));
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("^MarqueeLabel::load\\(\\) .+ \\d+$")));
    QVERIFY(!label.load(QByteArray(R"({"messages": [{"message": "lost"},)")));
    QCOMPARE(label.strings().size(), 1);
    QCOMPARE(label.strings().constFirst().message, QStringLiteral("kept"));
}

void TestMarqueeLabel::loadAppendsAndReadsFiles()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("messages.json"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(document(R"({"message": "two"}, {"message": "three"})"));
    file.close();

    MarqueeLabel label;
    QVERIFY(label.load(document(R"({"message": "one"})")));
    QVERIFY(label.load(path));
    QVERIFY(!label.load(folder.filePath(QStringLiteral("missing.json"))));
    QStringList messages;
    for (const MarqueeString& string : label.strings())
        messages << string.message;
    QCOMPARE(messages, QStringList({"one", "two", "three"}));
    // Every load starts over with the first message.
    QCOMPARE(label.currentIndex(), 0);
    QCOMPARE(label.text(), QStringLiteral("one"));
}

void TestMarqueeLabel::setStrings()
{
    MarqueeLabel label;
    label.resize(kWidth, 30);
    MarqueeString first;
    first.message = QStringLiteral("first");
    label.setStrings({first});
    QCOMPARE(label.text(), QStringLiteral("first"));
    QCOMPARE(label.textPosition(), kWidth);

    label.setDirection(2);
    QCOMPARE(label.textPosition(), 0);
    MarqueeString second;
    second.message = QStringLiteral("second");
    label.addStrings({second});
    QCOMPARE(label.strings().size(), 2);
    QCOMPARE(label.text(), QStringLiteral("first"));
    QCOMPARE(label.textPosition(), 0);

    label.setStrings({});
    QVERIFY(label.text().isEmpty());
    QVERIFY(label.strings().isEmpty());
}

void TestMarqueeLabel::scrollsBySpeed()
{
    MarqueeLabel label;
    label.resize(kWidth, 30);
    QVERIFY(label.load(document(R"({"message": "moving", "speed": 3})")));
    QCOMPARE(label.textPosition(), kWidth);
    label.show();
    QTRY_VERIFY(label.textPosition() < kWidth - 3 * 4);
    QCOMPARE((kWidth - label.textPosition()) % 3, 0);

    label.hide();
    const int stopped = label.textPosition();
    QTest::qWait(3 * MarqueeLabel::kTickMs);
    QCOMPARE(label.textPosition(), stopped);
}

// The first message leaves at once; the second only enters after the pause.
void TestMarqueeLabel::pauseBeforeNextMessage()
{
    MarqueeLabel label;
    label.resize(kWidth, 30);
    QVERIFY(label.load(document(R"({"message": "gone", "linkto": "https://x.invalid/", "speed": 1000,)"
                                R"( "timeoutafter": 1}, {"message": "next"})")));
    QSignalSpy clicked(&label, &MarqueeLabel::clicked);
    QElapsedTimer clock;
    clock.start();
    label.show();

    QTRY_VERIFY(label.isPaused());
    const int parked = label.textPosition();
    label.repaint();
    label.repaint();
    QCOMPARE(label.textPosition(), parked);
    QCOMPARE(label.currentIndex(), 0);
    // Nothing to click on while the text is out of sight.
    QTest::mouseClick(&label, Qt::LeftButton);
    QCOMPARE(clicked.count(), 0);

    QTRY_COMPARE_WITH_TIMEOUT(label.currentIndex(), 1, 10000);
    QVERIFY2(clock.elapsed() >= 1000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(label.text(), QStringLiteral("next"));
    QVERIFY(!label.isPaused());
    QVERIFY(label.textPosition() <= kWidth);
    QVERIFY(label.textPosition() > kWidth - 50);
}

void TestMarqueeLabel::textColour_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("yellow");

    QTest::newRow("dddd00") << QByteArray(R"({"message": "MMMMMMMM", "textcolor": "dddd00"})") << true;
    QTest::newRow("no colour") << QByteArray(R"({"message": "MMMMMMMM"})") << false;
}

void TestMarqueeLabel::textColour()
{
    QFETCH(QByteArray, json);
    QFETCH(bool, yellow);

    MarqueeLabel label;
    QFont font = label.font();
    font.setPointSize(24);
    label.setFont(font);
    label.resize(kWidth, 40);
    QVERIFY(label.load(document(json)));
    // Entering from the left puts the text in view at the first step.
    label.setDirection(2);

    const QImage image = label.grab().toImage();

    QCOMPARE(containsColour(image, qRgb(0xdd, 0xdd, 0x00)), yellow);
    QCOMPARE(containsColour(image, label.palette().color(QPalette::WindowText).rgb()), !yellow);
}

void TestMarqueeLabel::link_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<Qt::CursorShape>("cursor");
    QTest::addColumn<QStringList>("clicks");

    QTest::newRow("link") << QByteArray(R"({"message": "open me", "linkto": "https://x.invalid/news"})")
                          << Qt::PointingHandCursor << QStringList{"https://x.invalid/news"};
    QTest::newRow("no link") << QByteArray(R"({"message": "just text"})") << Qt::ArrowCursor << QStringList();
}

void TestMarqueeLabel::link()
{
    QFETCH(QByteArray, json);
    QFETCH(Qt::CursorShape, cursor);
    QFETCH(QStringList, clicks);

    MarqueeLabel label;
    label.resize(kWidth, 30);
    QVERIFY(label.load(document(json)));
    QCOMPARE(label.cursor().shape(), cursor);
    QSignalSpy clicked(&label, &MarqueeLabel::clicked);
    label.show();
    QTRY_VERIFY(label.textPosition() < kWidth);

    QTest::mouseClick(&label, Qt::LeftButton);

    QStringList links;
    for (const QList<QVariant>& arguments : clicked)
        links << arguments.at(0).toString();
    QCOMPARE(links, clicks);
}

QTEST_MAIN(TestMarqueeLabel)
#include "tst_marqueelabel.moc"
