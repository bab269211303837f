// Feeds arbitrary bytes to the kit file loader; whatever it stores must load as a valid kit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "kit/Kit.h"
#include "kit/KitFile.h"
#include "settings/MemoryProfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tomaro::MemoryProfile profile;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    int taken = tomaro::KitFile::loadBytes(bytes, profile);
    tomaro::Kit kit;
    kit.load(profile);
    if (taken < 0 || kit.count() < 1 || kit.count() > tomaro::Kit::kMaxDrums) std::abort();
    for (int i = 0; i < kit.count(); ++i) {
        if (kit.drum(i).note < -100 || kit.drum(i).note > 100) std::abort();
    }
    // What was loaded saves and loads back to the same kit.
    tomaro::MemoryProfile again;
    tomaro::KitFile::loadBytes(tomaro::KitFile::toBytes(kit), again);
    tomaro::Kit reloaded;
    reloaded.load(again);
    if (reloaded.count() != kit.count()) std::abort();
    for (int i = 0; i < kit.count(); ++i) {
        const auto& a = kit.drum(i);
        const auto& b = reloaded.drum(i);
        if (a.type != b.type || a.note != b.note || a.shown != b.shown ||
            a.overtone1 != b.overtone1 || a.overtone2 != b.overtone2) {
            std::abort();
        }
    }
    return 0;
}
