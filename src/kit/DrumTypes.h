#pragma once

#include <array>
#include <string>

// The 20 drum types a kit is built from, in the order kits list them: 0 the snare ("Малый"),
// 1..18 the toms by diameter (`5"` .. `22"`), 19 the kick ("Бочка"). Pure functions, any thread.
namespace tomaro::drums {

inline constexpr int kTypeCount = 20;
inline constexpr int kSnare = 0;
inline constexpr int kKick = 19;

// "Малый", `%d"` of type + 4, "Бочка"; "вне диапазона" for any other index.
std::string typeName(int type);

// A drum's name as the user sees it: the stored name ("Малый", "Бочка", `12"`) in Russian; in
// English "Snare" and "Kick" (sizes stay as they are). Keys and kit files keep the stored name.
std::string shownName(const std::string& name);

// Reference note of a type before the user sets one: `10"` -9, `12"` -14, `16"` -19, "Бочка" -31,
// every other type 0.
int defaultNote(int type);

// The settings and kit-file key of a drum: "Baraban_" + name with every '"' replaced by "дюймов"
// ("Baraban_10дюймов", "Baraban_Малый").
std::string keyForName(const std::string& drumName);
std::string typeKey(int type);

// The standard kit used while no drum is selected: `10"`, `12"`, `16"` and "Бочка".
bool isInStandardSet(int type);

}  // namespace tomaro::drums
