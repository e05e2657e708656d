// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/helpers.h"

#include <QCoreApplication>

namespace {

const QChar kMicro(0x03BC);
const QChar kLeftArrowhead(0x2B9C);

// How the labels of one tick step read: offsets in unit × multiplier, a
// major tick every period units, shown with decimals.
struct LabelScale
{
    const char* unit;
    double multiplier;
    double period;
    int decimals;
};

LabelScale labelScale(double step)
{
    // Exact comparisons: the tick code hands out these very literals.
    if (step == 0.0001 || step == 0.0005)
        return {QT_TRANSLATE_NOOP("QObject", "ms"), 1000, 1, 2};
    if (step == 0.001)
        return {QT_TRANSLATE_NOOP("QObject", "ms"), 1000, 10, 0};
    if (step == 0.005 || step == 0.01)
        return {QT_TRANSLATE_NOOP("QObject", "ms"), 1000, 100, 0};
    if (step == 0.05)
        return {QT_TRANSLATE_NOOP("QObject", "s"), 1, 1, 2};
    if (step == 0.1)
        return {QT_TRANSLATE_NOOP("QObject", "s"), 1, 1, 1};
    if (step == 0.5)
        return {QT_TRANSLATE_NOOP("QObject", "s"), 1, 10, 1};
    if (step == 1)
        return {QT_TRANSLATE_NOOP("QObject", "s"), 1, 10, 0};
    if (step == 5 || step == 10)
        return {QT_TRANSLATE_NOOP("QObject", "s"), 1, 100, 0};
    return {QT_TRANSLATE_NOOP("QObject", "s"), 1, 1000, 0};
}

// Beyond this the clock split would overflow its 64-bit count of 100 us
// units; no recording gets near it.
constexpr double kMaxNativeSeconds = 1e15;

} // namespace

QString Helpers::timeToString(double t, bool withUnit, int decimals)
{
    return timeFormat == 1 ? timeToSeconds(t, withUnit, decimals) : timeToNative(t, withUnit, decimals);
}

QString Helpers::timeToSeconds(double t, bool withUnit, int decimals)
{
    if (!withUnit)
        return QString::number(t, 'f', decimals);
    // Whole microseconds 0..99 read better than "0.0ms".
    const double micro = t * 1000000;
    if (micro > -1 && micro < 100)
        return QStringLiteral("%1%2s").arg(qint64(micro)).arg(kMicro);
    if (t < 1)
        return QStringLiteral("%1ms").arg(t * 1000, 0, 'f', 1);
    return QStringLiteral("%1s").arg(t, 0, 'f', decimals);
}

QString Helpers::timeToNative(double t, bool withUnit, int decimals)
{
    if (t < 60 || !(t < kMaxNativeSeconds))
        return timeToSeconds(t, withUnit, decimals);
    const quint64 q = quint64(t * 10000);
    const quint64 totalMinutes = q / 600000;
    const int seconds = int((q - totalMinutes * 600000) / 10000);
    const int minutes = int(totalMinutes % 60);
    const quint64 totalHours = totalMinutes / 60;
    const int hours = int(totalHours % 24);
    const qulonglong days = totalHours / 24;
    const int ms = int(qint64(t * 1000) % 1000);
    if (days == 0 && hours == 0)
        return QString::asprintf("%d:%02d.%03d", minutes, seconds, ms);
    if (days != 0)
        return QString::asprintf("%llu %d:%02d:%02d.%03d", days, hours, minutes, seconds, ms);
    return QString::asprintf("%d:%02d:%02d.%03d", hours, minutes, seconds, ms);
}

void Helpers::timeToLabels(double step, const QList<double>& ticks, QList<QString>& labels,
                           QMap<int, QString>& majors)
{
    const LabelScale scale = labelScale(step);
    const QString unit = QCoreApplication::translate("QObject", scale.unit);
    const double k = scale.multiplier * step;
    double acc = 0;
    labels.reserve(labels.size() + ticks.size());
    for (int t = 0; t < ticks.size(); ++t) {
        const double u = t * k - acc;
        if (u == 0 || u == scale.period) {
            majors.insert(t, timeToString(ticks.at(t), true, 3));
            labels.append(QString());
            if (t != 0)
                acc += scale.period;
        } else {
            labels.append(QStringLiteral("+%1%2").arg(u, 0, 'f', scale.decimals).arg(unit));
        }
    }
    if (!ticks.isEmpty())
        majors.insert(-1, kLeftArrowhead + timeToString(ticks.first(), true, 3));
}

int Helpers::divider(double v)
{
    if (v < 1000)
        return 1;
    return v < 1000000 ? 1000 : 1000000;
}

QChar Helpers::unitCharA(int divider)
{
    if (divider < 1000)
        return kMicro;
    return divider < 1000000 ? QLatin1Char('m') : QLatin1Char(' ');
}

QChar Helpers::unitCharV(int divider)
{
    return divider < 1000 ? QLatin1Char('m') : QLatin1Char(' ');
}

QString Helpers::sampleRateToFQString(int period)
{
    return QStringLiteral("(%1 %2)")
        .arg(10.0 / period, 0, 'f', 3)
        .arg(QCoreApplication::translate("QObject", "kHz"));
}
