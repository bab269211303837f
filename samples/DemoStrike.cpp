// Writes a synthetic tom strike to a WAV file, for trying Tomaro without a microphone:
// 48000 Hz, 16-bit mono, 0.1 s of silence, then 1.4 s of a struck membrane. The modes follow an
// ideal circular membrane (1, 1.59, 2.14, 2.30, 2.65 times the fundamental), the higher ones
// dying faster; the pitch glides down 3 % after the hit, as a real tom's does, and the attack
// carries a short burst of noise.
//
//   tomaro-demo-strike [FILE.wav] [FUNDAMENTAL_HZ]     (defaults: samples/demo-strike.wav, 110)
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

void put16(std::FILE* file, std::uint16_t v) {
    const unsigned char b[2] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8)};
    std::fwrite(b, 1, 2, file);
}

void put32(std::FILE* file, std::uint32_t v) {
    put16(file, static_cast<std::uint16_t>(v));
    put16(file, static_cast<std::uint16_t>(v >> 16));
}

}  // namespace

int main(int argc, char** argv) {
    const char* usage =
        "Usage: tomaro-demo-strike [FILE.wav] [FUNDAMENTAL_HZ]\n"
        "Writes a synthetic tom strike (48000 Hz, 16-bit mono) to FILE.wav\n"
        "(default samples/demo-strike.wav) at FUNDAMENTAL_HZ (default 110).\n";
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::fputs(usage, stdout);
            return 0;
        }
        // An option it does not know is no file name: nothing is written.
        if (argument.size() > 1 && argument[0] == '-' && (i != 2 || std::atof(argv[i]) == 0.0)) {
            std::fprintf(stderr, "tomaro-demo-strike: unknown option %s\n%s", argv[i], usage);
            return 2;
        }
    }
    const std::string path = argc > 1 ? argv[1] : "samples/demo-strike.wav";
    const double fundamentalHz = argc > 2 ? std::atof(argv[2]) : 110.0;
    constexpr int kRateHz = 48000;
    constexpr double kSilenceSec = 0.1;
    constexpr double kStrikeSec = 1.4;
    const double ratios[] = {1.0, 1.59, 2.14, 2.30, 2.65};
    const double amplitudes[] = {1.0, 0.45, 0.3, 0.2, 0.12};
    const double decaySec[] = {0.45, 0.25, 0.18, 0.15, 0.1};

    std::mt19937 random(2026);
    std::normal_distribution<double> noise(0.0, 1.0);
    std::vector<std::int16_t> samples(
        static_cast<std::size_t>((kSilenceSec + kStrikeSec) * kRateHz));
    const int silence = static_cast<int>(kSilenceSec * kRateHz);
    double phase[5] = {};
    for (std::size_t i = silence; i < samples.size(); ++i) {
        const double t = static_cast<double>(i - silence) / kRateHz;
        const double glide = 1.0 + 0.03 * std::exp(-t / 0.08);  // 3 % sharp at the hit
        double value = 0.0;
        for (int m = 0; m < 5; ++m) {
            phase[m] += 2.0 * M_PI * fundamentalHz * ratios[m] * glide / kRateHz;
            value += amplitudes[m] * std::exp(-t / decaySec[m]) * std::sin(phase[m]);
        }
        value += 0.25 * std::exp(-t / 0.01) * noise(random);
        samples[i] =
            static_cast<std::int16_t>(std::lround(std::clamp(value * 14000.0, -32767.0, 32767.0)));
    }

    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::fwrite("RIFF", 1, 4, file);
    put32(file, 36 + dataBytes);
    std::fwrite("WAVEfmt ", 1, 8, file);
    put32(file, 16);
    put16(file, 1);
    put16(file, 1);
    put32(file, kRateHz);
    put32(file, kRateHz * 2);
    put16(file, 2);
    put16(file, 16);
    std::fwrite("data", 1, 4, file);
    put32(file, dataBytes);
    for (std::int16_t s : samples) put16(file, static_cast<std::uint16_t>(s));
    std::fclose(file);
    std::printf("%s: %.1f Hz tom strike, %zu samples at %d Hz\n", path.c_str(), fundamentalHz,
                samples.size(), kRateHz);
    return 0;
}
