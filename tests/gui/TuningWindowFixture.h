#pragma once

#include <QString>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "support/MainWindowFixture.h"

namespace tomaro::test {

// The main window of the tests of the window "Настройка" and of lug mode: the kit of four drums
// whose 12" has its batter overtone reference at 1.5, and rod taps written as WAV files.
class TuningWindowFixture : public MainWindowFixture {
protected:
    // The 12" of the kit has its batter overtone at 1.5 x 116.54 Hz.
    static constexpr double kTargetHz = 1.5 * 116.54094037952248;
    // The strikes of these tests ring for a shorter time than the fixture's.
    static constexpr WavTone kStrike{9000, 0.4};

    // Every test function starts afresh with that kit.
    void startWithKit() {
        startAfresh();
        for (int type : {0, 8, 12, 19})
            m_Profile.writeInt("CDlgBaraSelect", "Bara_" + std::to_string(type), 1);
        m_Profile.writeInt("CDlgPresets", "Baraban_12дюймовm_Ober1", 1500);
    }

    // A tap near a rod: the rod's mode at `hz`, and a louder mode of the head at 1.6 times it.
    QString writeTap(const QString& name, double hz, double amplitude = 5000) {
        std::vector<std::int16_t> samples;
        for (int i = 0; i < 40000; ++i) {
            const double t = i / 48000.0;
            const double value = std::exp(-t / 0.4) * (amplitude * std::sin(2 * M_PI * hz * t) +
                                                       9000 * std::sin(2 * M_PI * 1.6 * hz * t));
            samples.push_back(static_cast<std::int16_t>(std::lround(value)));
        }
        return writeWav(name, samples);
    }
};

}  // namespace tomaro::test
