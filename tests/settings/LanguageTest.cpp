#include <gtest/gtest.h>

#include "settings/Language.h"
#include "settings/MemoryProfile.h"

namespace tomaro {

TEST(Language, FreshProfileIsRussianAndOnlyRuOrEnAreTaken) {
    MemoryProfile profile;
    EXPECT_EQ(storedLanguage(profile), Language::Russian);
    EXPECT_EQ(currentLanguage(), Language::Russian);

    storeLanguage(profile, Language::English);
    EXPECT_EQ(profile.readString("Options", "m_Language", ""), "en");
    EXPECT_EQ(storedLanguage(profile), Language::English);
    storeLanguage(profile, Language::Russian);
    EXPECT_EQ(profile.readString("Options", "m_Language", ""), "ru");

    // A value written by hand that is neither keeps the program Russian.
    for (const char* odd : {"EN", "en_US", "", "de"}) {
        profile.writeString("Options", "m_Language", odd);
        EXPECT_EQ(storedLanguage(profile), Language::Russian) << odd;
        Language parsed = Language::English;
        EXPECT_FALSE(parseLanguage(odd, parsed)) << odd;
        EXPECT_EQ(parsed, Language::English);
    }
}

}  // namespace tomaro
