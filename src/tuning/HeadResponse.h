#pragma once

#include <complex>
#include <string>

#include "tuning/HeadPattern.h"

namespace tomaro {

// What a head did with the last advice, learnt pass after pass, and how the next advice is scaled
// and turned by it.
//
// A pass ends when every rod was tapped once since the last one ended. Its cos 2θ pattern is the
// complex figure v = split * e^(2i axis). Advice given after a pass with gain g (scale and turn)
// asks for the change -g v; the pattern the next pass shows, v', gives the head's response
// r = (v - v') / (g v): 1 when the head did just what the pitch predicted, larger when each cent
// of advice moved the split by more (a head, or a drummer, that over-turns), its angle the error
// of the axis. The next gain is 1 / r, smoothed with the previous one and bounded (kMinScale..
// kMaxScale, at most kMaxTurnDeg of axis, and at most kMaxStep times the last gain in one pass).
// Heads differ by several times in how far their (1,1) splits for one per cent of rod pattern
// (the stress field a rim sets up in the head decides it), so the scale may grow to 3. A pass that
// raised the split halves the next advice instead, and says so (reduced()): no two passes in a row
// make the head worse for want of it. The mean against the target is not learnt: every rod turned
// alike moves it as predicted.
//
// Plain value type; user-interface thread only.
class HeadResponse {
public:
    static constexpr double kMinScale = 0.4;
    static constexpr double kMaxScale = 3.0;
    static constexpr double kMaxStep = 2.0;
    static constexpr double kMaxTurnDeg = 20.0;

    // A pass ended with the head fitted as `head`; the tolerance decides which changes are
    // measurable (a split under 1.5 times the tolerance teaches nothing).
    void passDone(const HeadFit& head, double toleranceCents);
    // Forgets what was learnt (the head is started over).
    void reset() { *this = HeadResponse{}; }

    // The gain for the cos 2θ advice: its scale and the turn of its axis (degrees, + clockwise).
    double scale() const { return std::abs(m_Gain); }
    double turnDeg() const;
    // The last pass raised the split: the advice that follows is smaller.
    bool reduced() const { return m_Reduced; }
    int passes() const { return m_Passes; }

    // As stored: "passes;gain_re;gain_im;last_re;last_im;has_last;reduced", a point as decimal
    // mark.
    std::string text() const;
    // Restores text(); false (and nothing changed) for text that is not such a state.
    bool restore(const std::string& text);

private:
    int m_Passes = 0;
    bool m_HasLast = false;
    std::complex<double> m_Last;  // the last pass's pattern, cents of split
    std::complex<double> m_Gain{1.0, 0.0};
    bool m_Reduced = false;
};

}  // namespace tomaro
