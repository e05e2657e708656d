// SPDX-License-Identifier: GPL-3.0-or-later
// A bounded, repeatable run of a libFuzzer-style target without libFuzzer:
// every corpus file as it is, then seeded mutations of them and of random
// bytes until the run count or the time budget is used up.
//
//   fuzz_target [--runs N] [--seconds S] [--seed X] [corpus folder or file...]
//
// The folder compiled in as AMPORA_FUZZ_CORPUS is used when none is given.
// An input that kills the process is written to fuzz-crash-input in the
// current folder first.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

using Bytes = std::vector<uint8_t>;

struct Options
{
    long runs = 3000;
    double seconds = 60;
    uint64_t seed = 1;
    std::vector<std::string> corpus;
};

constexpr size_t kMaxInput = 64 * 1024;
constexpr int kMaxMutations = 8;
const char kCrashFile[] = "fuzz-crash-input";

// Read by the signal handler: the input being run.
const Bytes* g_current = nullptr;

void saveCurrentInput(int signal)
{
    if (g_current) {
        const int fd = ::open(kCrashFile, O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            ssize_t written = ::write(fd, g_current->data(), g_current->size());
            (void)written;
            ::close(fd);
        }
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void installCrashHandler()
{
    for (int s : {SIGSEGV, SIGBUS, SIGABRT, SIGFPE, SIGILL})
        std::signal(s, saveCurrentInput);
}

Options parse(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--runs" && hasValue)
            options.runs = std::strtol(argv[++i], nullptr, 10);
        else if (arg == "--seconds" && hasValue)
            options.seconds = std::strtod(argv[++i], nullptr);
        else if (arg == "--seed" && hasValue)
            options.seed = std::strtoull(argv[++i], nullptr, 10);
        else
            options.corpus.push_back(arg);
    }
#ifdef AMPORA_FUZZ_CORPUS
    if (options.corpus.empty())
        options.corpus.push_back(AMPORA_FUZZ_CORPUS);
#endif
    return options;
}

Bytes readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<Bytes> loadCorpus(const std::vector<std::string>& entries)
{
    std::vector<std::filesystem::path> files;
    for (const std::string& entry : entries) {
        if (std::filesystem::is_directory(entry)) {
            for (const auto& item : std::filesystem::directory_iterator(entry))
                if (item.is_regular_file())
                    files.push_back(item.path());
        } else if (std::filesystem::is_regular_file(entry)) {
            files.push_back(entry);
        }
    }
    std::sort(files.begin(), files.end()); // the same order on every machine
    std::vector<Bytes> corpus;
    for (const auto& file : files)
        corpus.push_back(readFile(file));
    return corpus;
}

class Mutator
{
public:
    explicit Mutator(uint64_t seed) : m_random(seed) {}

    Bytes next(const std::vector<Bytes>& corpus)
    {
        Bytes input = corpus.empty() || below(10) == 0 ? randomBytes() : corpus[below(corpus.size())];
        const int mutations = 1 + int(below(kMaxMutations));
        for (int i = 0; i < mutations; ++i)
            mutate(input);
        if (input.size() > kMaxInput)
            input.resize(kMaxInput);
        return input;
    }

private:
    uint64_t below(uint64_t n) { return n ? m_random() % n : 0; }

    Bytes randomBytes()
    {
        Bytes bytes(below(2048));
        for (uint8_t& b : bytes)
            b = uint8_t(m_random());
        return bytes;
    }

    // Formats keep their counts and sizes near the start, so offsets there
    // are picked more often than anywhere else.
    size_t offsetIn(const Bytes& input)
    {
        if (input.empty())
            return 0;
        if (below(2) == 0)
            return below(std::min<size_t>(input.size(), 128));
        return below(input.size());
    }

    void overwrite(Bytes& input, const void* value, size_t width)
    {
        if (input.size() < width)
            return;
        const size_t at = below(input.size() - width + 1);
        std::memcpy(input.data() + (below(2) ? at : std::min(at, offsetIn(input))), value, width);
    }

    void interestingNumber(Bytes& input)
    {
        static const int64_t ints[] = {0, 1, -1, 2, 8, 9, 76, 127, 128, 255, 256, 512, 32767, -32768,
                                       65535, 2147483647, -2147483647 - 1, 4294967295LL};
        static const double doubles[] = {0.0, -0.0, 0.1, 1e300, -1e300, 5e-324,
                                         std::numeric_limits<double>::quiet_NaN(),
                                         std::numeric_limits<double>::infinity(),
                                         -std::numeric_limits<double>::infinity()};
        if (below(2) == 0) {
            const double d = doubles[below(std::size(doubles))];
            overwrite(input, &d, sizeof d);
            return;
        }
        const int64_t v = ints[below(std::size(ints))];
        const size_t widths[] = {1, 2, 4, 8};
        overwrite(input, &v, widths[below(4)]);
    }

    void mutate(Bytes& input)
    {
        switch (below(7)) {
        case 0:
            if (!input.empty())
                input[offsetIn(input)] ^= uint8_t(1u << below(8));
            break;
        case 1:
            if (!input.empty())
                input[offsetIn(input)] = uint8_t(m_random());
            break;
        case 2:
            interestingNumber(input);
            break;
        case 3:
            input.resize(below(input.size() + 1));
            break;
        case 4: {
            Bytes tail = randomBytes();
            input.insert(input.end(), tail.begin(), tail.begin() + std::min<size_t>(tail.size(), 64));
            break;
        }
        case 5:
            if (!input.empty()) {
                const size_t at = below(input.size());
                input.erase(input.begin() + at, input.begin() + at + below(input.size() - at + 1));
            }
            break;
        default:
            if (input.size() > 1) {
                const size_t from = below(input.size()), to = below(input.size());
                const size_t n = below(std::min(input.size() - from, input.size() - to) + 1);
                std::memmove(input.data() + to, input.data() + from, n);
            }
            break;
        }
    }

    std::mt19937_64 m_random;
};

void run(const Bytes& input)
{
    g_current = &input;
    LLVMFuzzerTestOneInput(input.data(), input.size());
    g_current = nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    const Options options = parse(argc, argv);
    installCrashHandler();
    const std::vector<Bytes> corpus = loadCorpus(options.corpus);
    const auto start = std::chrono::steady_clock::now();
    const auto elapsed = [start] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };

    for (const Bytes& input : corpus)
        run(input);
    Mutator mutator(options.seed);
    long runs = 0;
    while (runs < options.runs && elapsed() < options.seconds) {
        run(mutator.next(corpus));
        ++runs;
    }
    std::printf("%s: %zu corpus inputs and %ld mutated inputs (seed %llu) in %.1f s, no crash\n", argv[0],
                corpus.size(), runs, static_cast<unsigned long long>(options.seed), elapsed());
    return 0;
}
