#pragma once

#include <QString>

#include "analysis/StrikeQuality.h"

namespace tomaro {

struct LugTapVerdict;

// The quality line of the window "Настройка" in lug mode: the last tap judged for its rod, in the
// rod's band ("Сомнительно: винт 3 — слабый тон в полосе винта · тон в полосе 14 дБ над шумом").
// `strike` is the strike's own judgement, whose reasons are named when it rejected the tap. The
// verdict words are those of the strike's quality line; the rest belongs to the window's
// translation context. User-interface thread only.
QString lugQualityText(const LugTapVerdict& verdict, const QualityReport& strike);

}  // namespace tomaro
