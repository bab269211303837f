#pragma once

namespace tomaro {

// The two heads of a drum: the batter head the stick strikes (the top one) and the resonant head
// (the bottom one).
enum class DrumHead { Batter, Resonant };

// "batter" / "reso": the head as it is stored and written everywhere (lug mode's and the turns'
// settings keys, the tuning history's "struck" column, the lug CSV). Never to change.
constexpr const char* headCode(DrumHead head) {
    return head == DrumHead::Batter ? "batter" : "reso";
}

}  // namespace tomaro
