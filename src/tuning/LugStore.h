#pragma once

#include <string>

#include "tuning/LugSession.h"

namespace tomaro {

class Profile;

// The lug settings in section "Lugs": the order ("Order": 0 star, 1 clockwise), the head ("Head":
// 0 batter, 1 resonant), the search range of the first rod ("SearchF0", "SearchF1", Hz, held to
// 20..2000 and swapped when reversed, as the analysis range fields are), per drum
// the number of rods (drum key + "_Count") and per drum and head the last measurement (drum key +
// "_batter" / "_reso": LugSession::readingsText()). A drum type below 0 (no drum chosen) keeps
// them under "Any" (8 rods by default).
namespace lugstore {

inline constexpr const char* kSection = "Lugs";

LugOrder loadOrder(const Profile& profile);
void saveOrder(Profile& profile, LugOrder order);
DrumHead loadHead(const Profile& profile);
void saveHead(Profile& profile, DrumHead head);
FrequencyBand loadSearchRange(const Profile& profile);
int loadCount(const Profile& profile, int drumType);
void saveCount(Profile& profile, int drumType, int count);
std::string loadReadings(const Profile& profile, int drumType, DrumHead head);
void saveReadings(Profile& profile, int drumType, DrumHead head, const std::string& text);
// The measurement before the present one (drum key + "_batter_prev" / "_reso_prev", the same
// text): starting a head over keeps it instead of overwriting it.
std::string loadPrevious(const Profile& profile, int drumType, DrumHead head);
void savePrevious(Profile& profile, int drumType, DrumHead head, const std::string& text);

}  // namespace lugstore

}  // namespace tomaro
