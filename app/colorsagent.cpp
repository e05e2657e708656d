// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/colorsagent.h"

#include "app/settings.h"

namespace {

constexpr int kRows = 3;
constexpr int kColumns = 3;
const char* const kRowKeys[kRows] = {"channel_", "report_", "mouse_"};

QString colorKey(int row, int index)
{
    return QLatin1String(kRowKeys[row]) + QString::number(index);
}

// A value that is not a colour name leaves the colour as it was.
void readColor(const QSettings& settings, const QString& key, QColor& color)
{
    const QColor stored(settings.value(key, color.name()).toString());
    if (stored.isValid())
        color = stored;
}

} // namespace

ColorsAgent::ColorsAgent(bool dark, QObject* parent)
    : QObject(parent)
    , m_dark(dark)
{
    load();
}

ColorsAgent::~ColorsAgent()
{
    save();
}

QString ColorsAgent::groupName() const
{
    return m_dark ? QStringLiteral("Options/Dark") : QStringLiteral("Options/Light");
}

void ColorsAgent::load()
{
    m_table = QList<ColorsTable>(kRows);
    Settings settings;
    settings.beginGroup(groupName());
    for (int row = 0; row < kRows; ++row) {
        for (int i = 0; i < kColumns; ++i)
            readColor(settings, colorKey(row, i), m_table[row].colors[i]);
    }
    readColor(settings, QStringLiteral("background"), m_background);
    settings.endGroup();
}

void ColorsAgent::save() const
{
    Settings settings;
    settings.beginGroup(groupName());
    for (int row = 0; row < kRows; ++row) {
        for (int i = 0; i < kColumns; ++i)
            settings.setValue(colorKey(row, i), m_table.at(row).colors.at(i).name());
    }
    settings.setValue(QStringLiteral("background"), m_background.name());
    settings.endGroup();
}
