#pragma once

#include <string>

#include "analysis/StrikeQuality.h"
#include "tuning/Color.h"

// Texts of the strike quality and of the series for the main window's read-out, in the current
// language; the command line uses the stable codes of reasonCode() instead. Numbers use a decimal
// point. Pure functions, any thread.
namespace tomaro::qualitytext {

// "Надёжно", "Сомнительно", "Отклонено".
std::string verdictText(Verdict verdict);
// Green, orange, red.
Rgb verdictColor(Verdict verdict);
// The same on the tuning view's dark ground, in the view's own green, orange and red.
Rgb verdictColorOnDark(Verdict verdict);
// One reason in words, with its numbers where they help ("соперник 150 Гц, -1.5 дБ").
std::string reasonText(QualityReason reason, const QualityReport& report);

// The quality line: the verdict, its reasons, clipping in the attack when there was some, then
// the share of the sound the fitted tone explains (from the fit SNR), the decay and the glide:
// "Сомнительно: тон плывёт · тон: 94 % звука · затухание 0.35 с · уход высоты -140 ¢". A rejected
// strike adds the last accepted reading when there is one (lastAcceptedHz > 0):
// "Отклонено: нет тона · последний принятый 110.62 Гц".
std::string qualityLine(const QualityReport& report, double lastAcceptedHz);

// "серия: 4 удара, 110.62 Гц ± 0.8" with " · стабильно" when stable; "серия: нет ударов" when
// empty. The spread is in cents.
std::string seriesLine(int count, double medianHz, double spreadCents, bool stable);

// The word for a count as Russian counts: one ("удар") for 1, 21, ...; few ("удара") for 2..4,
// 22..24, ...; many ("ударов") for the rest, 11..14 included. `count` >= 0.
std::string countWord(int count, const char* one, const char* few, const char* many);

}  // namespace tomaro::qualitytext
