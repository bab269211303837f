#pragma once

#include <string>

namespace tomaro {

// The --help text of tomaro-analyze, built from the option table: English, with its examples of
// the readable line in the current language. Any thread.
std::string usageText();

}  // namespace tomaro
