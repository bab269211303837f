#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "base/UserMessage.h"
#include "kit/Kit.h"
#include "settings/Profile.h"

namespace tomaro {

// Kit settings files (".TKit"): plain text in Windows-1251, one record a line. After two COMMENT
// lines comes one line per kit position, "%s %d %d %g %g" with the drum key ("Baraban_10дюймов"),
// note, show flag and both overtone values, numbers always with a decimal point.
//
// Loading reads lines of at most kMaxLineLength bytes (longer lines are skipped whole). A line is
// taken when it starts with "Baraban", holds the five fields and its key names one of the 20 drum
// types. The key may be in Windows-1251, as written here and by earlier versions, or in UTF-8, as
// a text editor often saves a hand-edited file: a line that is valid UTF-8 is read as UTF-8, any
// other as Windows-1251 (no drum key in Windows-1251 is valid UTF-8, so the two never clash).
// Lines with bytes that are neither are skipped. Every taken line writes its four values to the
// settings store at once (overtones as thousandths); when at least one line was taken the presence
// flags become exactly the drum types found. The caller then reloads the Kit from the store.
//
// The file dialogs and their remembered folder belong to the window. User-interface thread only.
class KitFile {
public:
    static constexpr std::size_t kMaxLineLength = 1023;
    // A kit file is a few kilobytes; anything larger is not one.
    static constexpr std::size_t kMaxFileBytes = 1 << 20;

    // The file's bytes for a kit.
    static std::string toBytes(const Kit& kit);
    // The same, or nothing when the text cannot be converted to Windows-1251.
    static std::optional<std::string> encode(const Kit& kit);
    // Writes the file; on failure returns "Не удалось создать файл" / "ОШИБКА" / error icon.
    static std::optional<UserMessage> save(const Kit& kit, const std::filesystem::path& path);

    // Loads file contents into the store; returns the number of lines taken.
    static int loadBytes(std::string_view bytes, Profile& profile);
    // Loads a file. Returns "Не удалось открыть файл" / "ОШИБКА" / error icon when it cannot be
    // opened or read or is not a regular file (a pipe or a device is never waited on), "Файл
    // больше 1 МБ - это не файл настроек" / "ОШИБКА" / error icon past kMaxFileBytes, "Ничего не
    // измелилось" / "Сообщение" / information icon when no line was taken (in all these cases the
    // store is untouched), nothing on success.
    static std::optional<UserMessage> load(const std::filesystem::path& path, Profile& profile);
};

}  // namespace tomaro
