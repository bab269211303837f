#pragma once

#include <array>

#include "kit/DrumTypes.h"
#include "settings/Profile.h"

namespace tomaro {

// Which of the 20 drum types are in the kit: the model of the kit selection dialog
// ("Состав барабанной установки"). Each flag is stored as "Bara_%d" (0..19) in section
// "CDlgBaraSelect", default 0. The dialog loads a selection, lets the user tick, and on OK calls
// store(); Cancel simply drops the object, so nothing is stored. User-interface thread only.
class KitSelection {
public:
    static constexpr const char* kSection = "CDlgBaraSelect";

    // Reads the flags; when none is set the standard set is used (and not written).
    static KitSelection load(const Profile& profile);
    void store(Profile& profile) const;

    bool isPresent(int type) const;
    void setPresent(int type, bool present);  // types outside 0..19 are ignored
    // The button `10" + 12" + 16" + бочка`: ticks exactly the standard set.
    void selectStandardSet();
    int presentCount() const;

private:
    std::array<bool, drums::kTypeCount> m_Present{};
};

}  // namespace tomaro
