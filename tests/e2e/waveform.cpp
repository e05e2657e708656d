// SPDX-License-Identifier: GPL-3.0-or-later
// Prints what a recording of the simulated unit must hold: the values of
// samples n0 .. n0 + count - 1 of one channel at a rate, in display units.
//   ampora-waveform <500|600> <rate> <channel> <n0> <count>
#include "sim/simulatedunit.h"

#include <cstdio>
#include <cstdlib>

namespace {
// Display units of the power units' channels, from their raw integers.
double displayValue(int channel, int raw)
{
    switch (channel) {
    case 3: case 9: case 11: case 13: return raw / 100.0; // USB currents
    case 4: case 5: return raw;                           // degrees Celsius
    case 6: return raw;                                   // mains volts
    default: return raw / 10.0;
    }
}
} // namespace

int main(int argc, char* argv[])
{
    if (argc != 6) {
        std::fprintf(stderr, "usage: %s <500|600> <rate> <channel> <n0> <count>\n", argv[0]);
        return 2;
    }
    const sim::Model model = std::atoi(argv[1]) == 600 ? sim::Model::Power600 : sim::Model::Power500;
    const int rate = std::atoi(argv[2]);
    const int channel = std::atoi(argv[3]);
    const long first = std::atol(argv[4]);
    const long count = std::atol(argv[5]);
    for (long n = first; n < first + count; ++n)
        std::printf("%s%.10g", n == first ? "" : " ", displayValue(channel, sim::SimulatedUnit::rawSample(model, channel, uint32_t(n), rate)));
    std::printf("\n");
    return 0;
}
