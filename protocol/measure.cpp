// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/measure.h"

#include "protocol/channelinfo.h"
#include "protocol/filter.h"

#include <QVarLengthArray>

#include <algorithm>
#include <cmath>

namespace {
constexpr int kSamplesPosition = 7;

// Logger data types.
constexpr int kLoggerSigned = 0;
constexpr int kLoggerScaled = 1;
constexpr double kLoggerFloor = -100;
constexpr double kScaledMantissaMax = 16383;
constexpr double kScaledStoreFactor = 1000;

// Power data types.
constexpr int kPowerUnsigned16 = 0;
constexpr int kPowerSigned8 = 2;
constexpr int kPowerUnsigned8 = 3;

double powerValue(int channel, quint16 raw, bool fahrenheit)
{
    switch (channel) {
    case 3: case 9: case 11: case 13: // USB currents, 10 mA
        return raw / 100.0;
    case 4: case 5: { // temperatures, signed degrees Celsius
        const double celsius = qint16(raw);
        return fahrenheit ? celsius * 1.8 + 32 : celsius;
    }
    case 6: // mains voltage, 1 V
        return raw;
    default: // output voltage and current, USB voltages, frequency: tenths
        return raw / 10.0;
    }
}
} // namespace

quint16 MeasurePower::decode(const unsigned char* data, int type)
{
    switch (type) {
    case kPowerUnsigned16:
        return quint16(data[0] << 8 | data[1]);
    case kPowerSigned8:
        return quint16(qint16(qint8(data[0])));
    case kPowerUnsigned8:
        return data[0];
    default:
        return 0;
    }
}

QMap<int, QList<double>> MeasurePower::decode(const QList<int>& channels, bool fahrenheit) const
{
    QMap<int, QList<double>> values;
    // Types are looked up once per record; this runs for every received report.
    QVarLengthArray<int, 16> types;
    int setWidth = 0;
    for (int channel : channels) {
        const int type = channel >= 0 && channel <= 255 ? ChannelInfo::dataTypeOf(channel) : 0;
        types.append(type);
        setWidth += sampleWidth(type);
    }
    if (setWidth == 0)
        return values;
    // The set count comes from the unit: decode only the whole sets that fit in the report.
    const int sets = std::min(setCount(), (kSize - kSamplesPosition) / setWidth);
    if (sets == 0)
        return values;

    QVarLengthArray<QList<double>, 16> lists(channels.size());
    for (QList<double>& list : lists)
        list.reserve(sets);
    const unsigned char* sample = m_data + kSamplesPosition;
    for (int set = 0; set < sets; ++set) {
        for (int k = 0; k < channels.size(); ++k) {
            const double value = powerValue(channels[k], decode(sample, types[k]), fahrenheit);
            lists[k].append(FilterArray::filter(channels[k], value));
            sample += sampleWidth(types[k]);
        }
    }
    for (int k = 0; k < lists.size(); ++k)
        values.insert(k, lists[k]);
    return values;
}

QMap<int, QList<double>> MeasureAll::decode() const
{
    QVarLengthArray<int, 3> present;
    for (int channel = 0; channel < 3; ++channel) {
        if (channelMask() & (1 << channel))
            present.append(channel);
    }
    QMap<int, QList<double>> values;
    for (int k = 0; k < present.size(); ++k)
        values.insert(present[k], decode(k, int(present.size()), ChannelInfo::getChannelInfo(present[k])));
    return values;
}

QList<double> MeasureAll::decode(int position, int step, const ChannelInfo& info) const
{
    QList<double> values;
    // Descriptions built on the host describe power channels, not logger samples.
    if (info.descriptor() == 0 || position < 0 || step < 1)
        return values;
    values.reserve(sampleCount());
    const int stride = 2 * step;
    // The sample count comes from the unit: stop at the end of the report.
    for (int i = 0, offset = kSamplesPosition + 2 * position; i < sampleCount() && offset + 2 <= kSize;
         ++i, offset += stride) {
        const unsigned char high = m_data[offset];
        const unsigned char low = m_data[offset + 1];
        switch (info.dataType()) {
        case kLoggerSigned:
            values.append(FilterArray::filter(position, std::max(double(qint16(high << 8 | low)), kLoggerFloor)));
            break;
        case kLoggerScaled: {
            const quint16 raw = quint16(high << 8 | low);
            const int exponent = info.minExponent() + (raw >> 14);
            const double value = (raw & 0x3FFF) / kScaledMantissaMax * std::pow(10.0, exponent) * info.baseNumber();
            values.append(FilterArray::filter(position, value) * kScaledStoreFactor);
            break;
        }
        default: // little-endian, as the unit sends it
            values.append(FilterArray::filter(position, qint16(low << 8 | high)));
            break;
        }
    }
    return values;
}
