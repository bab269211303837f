#pragma once

#include <map>
#include <optional>
#include <string>
#include <variant>

#include "settings/Profile.h"

namespace tomaro {

// A profile kept in memory: for tests, and for runs that must not touch the user's settings
// (tomaro-analyze with a kit file).
class MemoryProfile : public Profile {
public:
    int readInt(std::string_view section, std::string_view key, int defaultValue) const override;
    std::string readString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const override;
    void writeInt(std::string_view section, std::string_view key, int value) override;
    void writeString(std::string_view section, std::string_view key,
                     std::string_view value) override;

    bool contains(std::string_view section, std::string_view key) const;
    // Number of writes so far, so tests can tell "stored nothing" from "stored the same".
    int writeCount() const { return m_WriteCount; }

private:
    using Value = std::variant<int, std::string>;
    std::optional<Value> find(std::string_view section, std::string_view key) const;

    std::map<std::string, Value, std::less<>> m_Values;  // "section\nkey" -> value
    int m_WriteCount = 0;
};

}  // namespace tomaro
