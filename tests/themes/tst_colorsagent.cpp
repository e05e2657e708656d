// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/colorsagent.h"
#include "app/settings.h"

#include <QFile>
#include <QSet>
#include <QTest>

class TestColorsAgent : public QObject
{
    Q_OBJECT

private:
    // The [Options] lines of the ini file as written on disk.
    static QSet<QString> optionsLines()
    {
        QFile file(Settings().fileName());
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            return {};
        QSet<QString> lines;
        bool inOptions = false;
        const QStringList all = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
        for (const QString& line : all) {
            if (line.startsWith(QLatin1Char('[')))
                inOptions = line == QLatin1String("[Options]");
            else if (inOptions && !line.isEmpty())
                lines.insert(line);
        }
        return lines;
    }

    static QColor colorOf(const ColorsAgent& agent, int row, int index)
    {
        return row < 0 ? agent.background() : agent.table().at(row).color(index);
    }

private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName(QStringLiteral("Quenlor Ampora"));
    }

    void init()
    {
        Settings settings;
        settings.clear();
        settings.sync();
    }

    void oneLifeWritesTheDefaultsOfItsTheme()
    {
        { ColorsAgent agent(true); }

        const QSet<QString> expected = {
            QStringLiteral("Dark\\channel_0=#ff0000"), QStringLiteral("Dark\\channel_1=#0000ff"),
            QStringLiteral("Dark\\channel_2=#00ff00"), QStringLiteral("Dark\\report_0=#ff0000"),
            QStringLiteral("Dark\\report_1=#0000ff"),  QStringLiteral("Dark\\report_2=#00ff00"),
            QStringLiteral("Dark\\mouse_0=#ff0000"),   QStringLiteral("Dark\\mouse_1=#0000ff"),
            QStringLiteral("Dark\\mouse_2=#00ff00"),   QStringLiteral("Dark\\background=#ffffff"),
        };
        QCOMPARE(optionsLines(), expected);
    }

    void loadsStoredColors_data()
    {
        QTest::addColumn<QString>("theme");  // subgroup the value is stored in
        QTest::addColumn<bool>("dark");      // theme of the agent
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("row");        // -1: background
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("expected");

        QTest::newRow("dark channel") << "Dark" << true << "channel_1" << "#123456" << 0 << 1 << "#123456";
        QTest::newRow("dark mouse") << "Dark" << true << "mouse_2" << "#a0b0c0" << 2 << 2 << "#a0b0c0";
        QTest::newRow("light report") << "Light" << false << "report_0" << "#010203" << 1 << 0 << "#010203";
        QTest::newRow("light background") << "Light" << false << "background" << "#000000" << -1 << 0
                                          << "#000000";
        QTest::newRow("other theme ignored") << "Light" << true << "channel_0" << "#123456" << 0 << 0
                                             << "#ff0000";
        QTest::newRow("not a colour") << "Dark" << true << "channel_2" << "greenish" << 0 << 2 << "#00ff00";
    }
    void loadsStoredColors()
    {
        QFETCH(QString, theme);
        QFETCH(bool, dark);
        QFETCH(QString, key);
        QFETCH(QString, stored);
        QFETCH(int, row);
        QFETCH(int, index);
        QFETCH(QString, expected);

        Settings().setValue(QStringLiteral("Options/") + theme + QLatin1Char('/') + key, stored);
        {
            ColorsAgent agent(dark);
            QCOMPARE(colorOf(agent, row, index).name(), expected);
        }
        // What was loaded is what the next agent finds.
        ColorsAgent again(dark);
        QCOMPARE(colorOf(again, row, index).name(), expected);
    }

    void loadStartsFromTheDefaults()
    {
        ColorsAgent agent(false);
        Settings().setValue(QStringLiteral("Options/Light/mouse_0"), QStringLiteral("#111111"));
        agent.load();
        QCOMPARE(agent.table().at(ColorsAgent::MouseRow).color(0), QColor(0x11, 0x11, 0x11));
        Settings().remove(QStringLiteral("Options/Light/mouse_0"));
        agent.load();
        QCOMPARE(agent.table().at(ColorsAgent::MouseRow).color(0), QColor(Qt::red));
        QCOMPARE(agent.table().size(), 3);
    }
};

QTEST_GUILESS_MAIN(TestColorsAgent)
#include "tst_colorsagent.moc"
