#include "kit/KitFile.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <fstream>

#include "base/RegularFile.h"
#include "kit/DrumTypes.h"
#include "kit/KitSelection.h"
#include "kit/NumberFormat.h"
#include "kit/TextEncoding.h"
#include "settings/Language.h"

namespace tomaro {
namespace {

constexpr std::string_view kFirstComment = "COMMENT Tomaro 1.6 save options file\n";
constexpr std::string_view kSecondComment =
    "COMMENT Please visit web site https://harnwick.example/tomaro\n";
constexpr std::string_view kRecordPrefix = "Baraban";

// "%g" of an overtone value, with more digits only where six would not read back to the same
// thousandth (Hz values of 1000 and more with three decimals).
std::string overtoneText(double value) {
    int stored = overtones::toStored(value);
    for (int precision = 6; precision < 17; ++precision) {
        std::string text = numbers::general(value, precision);
        if (overtones::toStored(numbers::leadingNumber(text)) == stored) return text;
    }
    return numbers::general(value, 17);
}

struct Record {
    std::string_view key;
    int note = 0;
    int shown = 0;
    double overtone1 = 0.0;
    double overtone2 = 0.0;
};

// Reads "%s %d %d %lf %lf" as the C library's sscanf would in the "C" locale; anything after the
// fifth field is ignored.
std::optional<Record> parseRecord(std::string_view line) {
    Record record;
    std::size_t keyEnd = 0;
    while (keyEnd < line.size() && !numbers::isSpace(line[keyEnd])) ++keyEnd;
    record.key = line.substr(0, keyEnd);
    std::string_view rest = line.substr(keyEnd);
    auto note = numbers::scanInt(rest);
    if (note.length == 0) return std::nullopt;
    rest.remove_prefix(note.length);
    auto shown = numbers::scanInt(rest);
    if (shown.length == 0) return std::nullopt;
    rest.remove_prefix(shown.length);
    auto overtone1 = numbers::scanDouble(rest);
    if (overtone1.length == 0) return std::nullopt;
    rest.remove_prefix(overtone1.length);
    auto overtone2 = numbers::scanDouble(rest);
    if (overtone2.length == 0) return std::nullopt;
    record.note = note.value;
    record.shown = shown.value;
    record.overtone1 = overtone1.value;
    record.overtone2 = overtone2.value;
    return record;
}

class Loader {
public:
    explicit Loader(Profile& profile) : m_Profile(profile) {
        for (int type = 0; type < drums::kTypeCount; ++type) m_Keys[type] = drums::typeKey(type);
    }

    void line(std::string_view bytes) {
        if (m_FirstLine) {
            m_FirstLine = false;
            constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
            if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
                bytes.remove_prefix(kByteOrderMark.size());
            }
        }
        if (bytes.substr(0, kRecordPrefix.size()) != kRecordPrefix) return;
        auto record = parseRecord(bytes);
        if (!record) return;
        std::optional<std::string> key;
        if (encoding::isValidUtf8(record->key)) {
            key = std::string(record->key);
        } else {
            key = encoding::cp1251ToUtf8(record->key);
        }
        if (!key) return;
        auto match = std::find(m_Keys.begin(), m_Keys.end(), *key);
        if (match == m_Keys.end()) return;
        int type = static_cast<int>(match - m_Keys.begin());
        m_Found.setPresent(type, true);
        ++m_Taken;
        m_Profile.writeInt(Kit::kSection, Kit::noteKey(type), record->note);
        m_Profile.writeInt(Kit::kSection, Kit::shownKey(type), record->shown);
        m_Profile.writeInt(Kit::kSection, Kit::overtone1Key(type),
                           overtones::toStored(record->overtone1));
        m_Profile.writeInt(Kit::kSection, Kit::overtone2Key(type),
                           overtones::toStored(record->overtone2));
    }

    int finish() {
        if (m_Taken > 0) m_Found.store(m_Profile);
        return m_Taken;
    }

private:
    Profile& m_Profile;
    std::array<std::string, drums::kTypeCount> m_Keys;
    KitSelection m_Found;  // default-constructed: nothing present
    int m_Taken = 0;
    bool m_FirstLine = true;
};

// Splits a byte source into lines without ever holding more than one line of kMaxLineLength
// bytes; a longer line is dropped whole. CR, LF and CRLF all end a line (files saved on Windows,
// Unix and old Macintosh systems); the empty line between CR and LF is skipped like any other.
class LineSplitter {
public:
    explicit LineSplitter(Loader& loader) : m_Loader(loader) {}

    void feed(std::string_view bytes) {
        for (char c : bytes) {
            if (c == '\n' || c == '\r') {
                endLine();
            } else if (m_Length < m_Line.size()) {
                m_Line[m_Length++] = c;
            } else {
                m_TooLong = true;
            }
        }
    }

    void finish() {
        if (m_Length > 0 || m_TooLong) endLine();
    }

private:
    void endLine() {
        if (!m_TooLong) m_Loader.line(std::string_view(m_Line.data(), m_Length));
        m_Length = 0;
        m_TooLong = false;
    }

    Loader& m_Loader;
    std::array<char, KitFile::kMaxLineLength> m_Line{};
    std::size_t m_Length = 0;
    bool m_TooLong = false;
};

}  // namespace

std::optional<std::string> KitFile::encode(const Kit& kit) {
    std::string text(kFirstComment);
    text += kSecondComment;
    for (int position = 0; position < kit.count(); ++position) {
        const KitDrum& drum = kit.drum(position);
        text += drums::typeKey(drum.type);
        text += ' ' + std::to_string(drum.note);
        text += ' ' + std::to_string(drum.shown ? 1 : 0);
        text += ' ' + overtoneText(drum.overtone1);
        text += ' ' + overtoneText(drum.overtone2);
        text += '\n';
    }
    // Every drum name has a Windows-1251 form; the conversion fails only when the system has no
    // converter for it.
    return encoding::utf8ToCp1251(text);
}

namespace {

const char* errorCaption() { return pick("ОШИБКА", "ERROR"); }

}  // namespace

std::string KitFile::toBytes(const Kit& kit) { return encode(kit).value_or(std::string()); }

std::optional<UserMessage> KitFile::save(const Kit& kit, const std::filesystem::path& path) {
    const UserMessage failure{pick("Не удалось создать файл", "Could not create the file"),
                              errorCaption(), UserMessage::Severity::Error};
    // Converted before the file is opened, so that a failure leaves an existing file as it was.
    const std::optional<std::string> bytes = encode(kit);
    if (!bytes) return failure;
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) return failure;
    file.write(bytes->data(), static_cast<std::streamsize>(bytes->size()));
    file.close();
    if (!file) return failure;
    return std::nullopt;
}

int KitFile::loadBytes(std::string_view bytes, Profile& profile) {
    Loader loader(profile);
    LineSplitter splitter(loader);
    splitter.feed(bytes);
    splitter.finish();
    return loader.finish();
}

std::optional<UserMessage> KitFile::load(const std::filesystem::path& path, Profile& profile) {
    const UserMessage failure{pick("Не удалось открыть файл", "Could not open the file"),
                              errorCaption(), UserMessage::Severity::Error};
    const UserMessage tooLarge{pick("Файл больше 1 МБ - это не файл настроек",
                                    "The file is larger than 1 MB: it is not a settings file"),
                               errorCaption(), UserMessage::Severity::Error};
    // Only a regular file is read, and a named pipe without a writer does not hold the open.
    RegularFile file = RegularFile::open(path.c_str());
    if (!file.isOpen()) return failure;
    const int fd = file.descriptor();
    // Read one byte past the bound, whatever the size said: the file may grow meanwhile, and some
    // regular files (under /proc) report no size at all.
    std::string bytes(kMaxFileBytes + 1, '\0');
    std::size_t length = 0;
    bool readFailed = false;
    while (length < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + length, bytes.size() - length);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            readFailed = true;
            break;
        }
        length += static_cast<std::size_t>(got);
    }
    file.close();
    if (readFailed) return failure;
    if (length > kMaxFileBytes) return tooLarge;
    bytes.resize(length);
    if (loadBytes(bytes, profile) == 0) {
        return UserMessage{pick("Ничего не измелилось", "Nothing has changed"),
                           pick("Сообщение", "Message"), UserMessage::Severity::Information};
    }
    return std::nullopt;
}

}  // namespace tomaro
