#include "settings/MemoryProfile.h"

#include <charconv>

namespace tomaro {
namespace {

std::string joinKey(std::string_view section, std::string_view key) {
    std::string joined(section);
    joined += '\n';
    joined += key;
    return joined;
}

}  // namespace

std::optional<MemoryProfile::Value> MemoryProfile::find(std::string_view section,
                                                        std::string_view key) const {
    auto it = m_Values.find(joinKey(section, key));
    if (it == m_Values.end()) return std::nullopt;
    return it->second;
}

int MemoryProfile::readInt(std::string_view section, std::string_view key, int defaultValue) const {
    auto value = find(section, key);
    if (!value) return defaultValue;
    if (auto* number = std::get_if<int>(&*value)) return *number;
    // A string read as an integer behaves as the system profile does: its leading number.
    const std::string& text = std::get<std::string>(*value);
    int parsed = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    return error == std::errc() ? parsed : defaultValue;
}

std::string MemoryProfile::readString(std::string_view section, std::string_view key,
                                      std::string_view defaultValue) const {
    auto value = find(section, key);
    if (!value) return std::string(defaultValue);
    if (auto* number = std::get_if<int>(&*value)) return std::to_string(*number);
    return std::get<std::string>(*value);
}

void MemoryProfile::writeInt(std::string_view section, std::string_view key, int value) {
    m_Values.insert_or_assign(joinKey(section, key), Value(value));
    ++m_WriteCount;
}

void MemoryProfile::writeString(std::string_view section, std::string_view key,
                                std::string_view value) {
    m_Values.insert_or_assign(joinKey(section, key), Value(std::string(value)));
    ++m_WriteCount;
}

bool MemoryProfile::contains(std::string_view section, std::string_view key) const {
    return find(section, key).has_value();
}

}  // namespace tomaro
