#pragma once

#include <string>

namespace tomaro {

class Profile;
struct StrikeRecord;

// The analysed stretch: which samples of the strike (or of a long file) the analysis looks at.
//
// It is held as two times in seconds: the delay from the strike front ("Задержка от фронта:",
// profile `m_SelectPos`) and the analysis length ("Длина области анализа", `m_SelectDelta`),
// both in section "CMainDlg", stored as integer microseconds (value * 1e6, truncated). Defaults
// 0.05 s and 0.4 s. The length is kept in [0.001, 1.0] s and the delay in [-2000, 2000] s.
//
// From the strike geometry (front index F, total frames T, sample rate fs) it derives the sample
// indices [start, end) with 0 <= start <= end <= T and end - start <= 48000: start =
// F + trunc(delay * fs), end = F + trunc(fs * (delay + length)), then limited to 48000 samples,
// to the whole strike when T is shorter, to at least 3 samples, and shifted left or right to lie
// inside the strike.
//
// Every change below clamps the two times, writes both to the profile at once and recomputes the
// indices; the caller then marks the analysis as due and repaints. User-interface thread only.
// The profile must outlive this object.
class Stretch {
public:
    static constexpr double kDefaultDelaySec = 0.05;
    static constexpr double kDefaultLengthSec = 0.4;
    static constexpr double kMinLengthSec = 0.001;
    static constexpr double kMaxLengthSec = 1.0;
    static constexpr double kMaxDelaySec = 2000.0;  // the delay lies in [-2000, 2000] s
    static constexpr int kMaxSamples = 48000;       // longest stretch, in samples
    static constexpr int kMinSamples = 3;           // shortest stretch when the strike allows

    explicit Stretch(Profile& profile);

    // Reads both times again from the profile (clamped, not written back).
    void reload();

    // The strike geometry: front index F (first sample after the lead-in: 6000 for a live strike
    // or a copied file, 0 for a file read in place), total frames T and the sample rate in Hz.
    // Recomputes the indices without writing the profile: this is "bring the analysis range up
    // to date" after a new strike or file.
    void setStrike(int frontIndex, int totalFrames, double sampleRateHz);
    void setStrike(const StrikeRecord& record);

    double delaySec() const { return m_DelaySec; }
    double lengthSec() const { return m_LengthSec; }
    int start() const { return m_Start; }  // first frame of the stretch
    int end() const { return m_End; }      // one past the last frame
    int length() const { return m_End - m_Start; }

    // The two field texts, "%0.4f": (start - F) / fs and (end - start) / fs, in seconds.
    std::string delayText() const;
    std::string lengthText() const;

    // Values typed into the two fields (seconds). A value that is not a number is ignored.
    void setDelaySec(double delaySec);
    void setLengthSec(double lengthSec);
    void setTimes(double delaySec, double lengthSec);
    // "Настройки анализа по умолчанию": 0.05 s after the front for 0.4 s, stored at once.
    void restoreDefaults() { setTimes(kDefaultDelaySec, kDefaultLengthSec); }
    // The delay field's spin: delay += steps * length * 0.2.
    void spinDelay(int steps);
    // The length field's spin: length *= 1.05^steps.
    void spinLength(int steps);
    // A click on the signal overview at frame `sample`: the stretch is centred on it.
    void centreOn(int sample);
    // A drag of dx pixels on the zoomed signal graph `graphWidth` pixels wide: the stretch follows
    // the signal (delay -= dx / graphWidth * (end - start) / fs).
    void drag(double dxPixels, double graphWidthPixels);

private:
    void clampTimes();
    void compute();
    void store();

    Profile& m_Profile;
    double m_DelaySec = kDefaultDelaySec;
    double m_LengthSec = kDefaultLengthSec;
    int m_Front = 0;
    int m_Total = 0;
    double m_RateHz = 48000.0;
    int m_Start = 0;
    int m_End = 0;
};

}  // namespace tomaro
