#include "kit/HeadRelation.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "kit/KitPlanner.h"
#include "settings/Language.h"

namespace tomaro::headrelation {

double resonantTargetHz(const HeadRelation& relation, double batterHz) {
    if (!(batterHz > 0.0)) return 0.0;
    const int semitones = std::clamp(relation.semitones, -kMaxSemitones, kMaxSemitones);
    return batterHz * std::exp2(semitones / 12.0);
}

std::string relationText(const HeadRelation& relation) {
    const int semitones = std::clamp(relation.semitones, -kMaxSemitones, kMaxSemitones);
    if (semitones == 0) return pick("унисон", "unison");
    return (semitones > 0 ? pick("резонансный выше на ", "resonant higher by ")
                          : pick("резонансный ниже на ", "resonant lower by ")) +
           kitplan::semitonesText(std::abs(semitones));
}

std::string soundText(const HeadRelation& relation) {
    if (relation.semitones == 0) {
        return pick(
            "Пластики в унисон: самый долгий сустейн и ровная высота, тон почти не плывёт после "
            "удара.",
            "Heads in unison: the longest sustain and a steady pitch that hardly moves after the "
            "hit.");
    }
    if (relation.semitones > 0) {
        return pick(
            "Резонансный выше ударного: тон после удара уходит вниз, звук плотнее, сустейн "
            "короче, чем в унисон.",
            "Resonant above the batter: the pitch falls after the hit, the sound is denser, the "
            "sustain shorter than in unison.");
    }
    return pick(
        "Резонансный ниже ударного: тон после удара слегка поднимается, звук глубже, сустейн "
        "короче, чем в унисон.",
        "Resonant below the batter: the pitch rises slightly after the hit, the sound is deeper, "
        "the sustain shorter than in unison.");
}

}  // namespace tomaro::headrelation
