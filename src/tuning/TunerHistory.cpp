// The Tuner's side of the tuning history: what a strike or a lug tap is stored as, and the recall
// of a snapshot.

#include <cmath>

#include "history/HistoryStore.h"
#include "tuning/Tuner.h"

namespace tomaro {

void Tuner::recordReading() {
    // The early read of a live strike is taken again at its completion: only that final pass is
    // stored, and a strike analysed again (a moved stretch) is not stored twice.
    if (!m_History || m_EarlyPass || m_StrikeStored || !m_HasResult) return;
    const QualityReport& quality = m_Quality.report();
    if (!quality.accepted()) return;
    history::Reading reading;
    reading.verdict = verdictCode(quality.verdict);
    reading.toleranceCents = m_ToleranceCents;
    reading.fromFile = m_Record.fromFile;
    if (m_LugTuning.tapsTaken()) {
        // The tap given to a rod (a centre strike, a tap in no band or of another mode is none).
        const int rod = m_LugTuning.strikeRod();
        if (rod == 0) return;
        const LugSession& lugs = m_LugTuning.session();
        reading.struck = history::struckOf(m_LugTuning.head());
        reading.lug = rod;
        reading.lugCount = lugs.count();
        reading.frequencyHz = lugs.readingHz(rod);
        reading.targetHz = lugs.targetHz();
        const ModePair& pair = lugs.tap(rod).pair11;
        if (pair.count == 2) {
            reading.pair = history::ModePair{pair.lo.frequencyHz, pair.hi.frequencyHz,
                                             pair.lo.levelDb, pair.hi.levelDb};
        }
        if (m_TunedDrum >= 0) {
            reading.drum = m_Kit.drumName(m_TunedDrum);
            reading.drumType = m_Kit.drum(m_TunedDrum).type;
        }
    } else {
        const double hz = mainFrequencyHz();
        if (!std::isfinite(hz) || hz <= 0.0) return;
        const TuningReading against = tuningReading();
        reading.struck = history::Struck::Drum;
        reading.frequencyHz = hz;
        reading.targetHz = against.targetHz;
        if (against.drum >= 0 && against.drum < m_Kit.count()) {
            reading.drum = m_Kit.drumName(against.drum);
            reading.drumType = m_Kit.drum(against.drum).type;
        }
    }
    m_StrikeStored = true;
    m_History->addReading(reading);
}

void Tuner::setRecall(std::optional<history::Snapshot> snapshot) {
    m_Recall = std::move(snapshot);
    m_LugTuning.configure(m_TunedDrum, recall(), m_ToleranceCents);
}

TuningReading Tuner::recalled(const TuningReading& reading) const {
    if (!m_Recall) return reading;
    const int drum = m_TunedDrum >= 0 ? m_TunedDrum : reading.drum;
    if (drum < 0 || drum >= m_Kit.count()) return reading;
    const history::SnapshotDrum* then = m_Recall->drum(m_Kit.drumName(drum));
    if (!then || !then->strike || then->strike->frequencyHz <= 0.0) return reading;
    TuningReading back = readingAgainst(reading.measuredHz, then->strike->frequencyHz,
                                        m_Kit.latinNames(), m_ToleranceCents);
    back.drum = drum;
    back.kind = reading.drum == drum && reading.kind >= 0 ? reading.kind : kFundamental;
    return back;
}

}  // namespace tomaro
