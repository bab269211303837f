#include "devices/QtProfile.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QDataStream>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <cerrno>

#include "base/RegularFile.h"

namespace tomaro {
namespace {

// Largest settings file read; a settings file of Tomaro is a few kilobytes.
constexpr qsizetype kMaxSettingsBytes = 1 << 20;

enum class FileState { Missing, Read, Unusable };

// Reads a settings file as a kit file is read: opened without blocking (a named pipe without a
// writer must not hang the start), only a regular file (not a folder, a pipe or a device such as
// /dev/zero), and at most kMaxSettingsBytes. Unusable also when it cannot be read at all.
FileState readBounded(const QString& fileName, QByteArray& bytes) {
    bytes.clear();
    RegularFile file = RegularFile::open(QFile::encodeName(fileName).constData());
    if (!file.isOpen()) {
        return file.failure() == RegularFile::Failure::Missing ? FileState::Missing
                                                               : FileState::Unusable;
    }
    const int fd = file.descriptor();
    // One byte past the bound, whatever the size said: the file may grow meanwhile.
    bytes.resize(kMaxSettingsBytes + 1);
    qsizetype length = 0;
    bool failed = false;
    while (length < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + length, std::size_t(bytes.size() - length));
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            failed = true;
            break;
        }
        length += got;
    }
    file.close();
    bytes.resize(length);
    return failed || length > kMaxSettingsBytes ? FileState::Unusable : FileState::Read;
}

// Where the settings library keeps the user's settings, found without letting it read the file
// (it reads it whole, and blocks on a pipe, as soon as it is constructed): the same folder and
// name under a format of an extension no file has, so that nothing is read.
QString userSettingsFile() {
    static const QSettings::Format probe = QSettings::registerFormat(
        QStringLiteral("tomaro-probe"), [](QIODevice&, QSettings::SettingsMap&) { return true; },
        [](QIODevice&, const QSettings::SettingsMap&) { return false; });
    const QSettings settings(probe, QSettings::UserScope, QStringLiteral("Harnwick"),
                             QStringLiteral("Tomaro"));
    QString name = settings.fileName();
    name.chop(qsizetype(sizeof "tomaro-probe") - 1);
    return name + QStringLiteral("conf");
}

// Whether a change could be written: the library writes a new file beside the old one and renames
// it over, so the folder must take new files, and an existing file must be writable (a file or
// folder made immutable, or on a read-only file system, is not).
bool canBeSaved(const QString& fileName) {
    const QFileInfo info(fileName);
    if (info.exists() && ::access(QFile::encodeName(fileName).constData(), W_OK) != 0) {
        return false;
    }
    QDir folder = info.absoluteDir();
    while (!folder.exists() && !folder.isRoot()) {
        if (!folder.cdUp()) break;
    }
    return ::access(QFile::encodeName(folder.absolutePath()).constData(), W_OK | X_OK) == 0;
}

QString path(std::string_view section, std::string_view key) {
    return QStringLiteral("Tomaro1_5_demo2/") +
           QString::fromUtf8(section.data(), qsizetype(section.size())) + QLatin1Char('/') +
           QString::fromUtf8(key.data(), qsizetype(key.size()));
}

QByteArray contents(const QString& fileName) {
    QByteArray bytes;
    return readBounded(fileName, bytes) == FileState::Read ? bytes : QByteArray();
}

// Lines of the form "key=value" outside comments and section headers; CR, LF and CR LF all end a
// line, as they do for the settings library.
qsizetype entryLines(const QByteArray& text) {
    qsizetype count = 0;
    for (const QByteArray& line : text.split('\n')) {
        for (const QByteArray& part : line.split('\r')) {
            const QByteArray trimmed = part.trimmed();
            if (trimmed.isEmpty() || trimmed.startsWith(';') || trimmed.startsWith('#') ||
                trimmed.startsWith('[')) {
                continue;
            }
            if (trimmed.contains('=')) ++count;
        }
    }
    return count;
}

// Unescapes the text of an "@Variant(...)" value as the settings library writes it: C escapes,
// \xHH and octal \ooo.
QByteArray unescaped(const QByteArray& text) {
    QByteArray bytes;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            bytes += text[i];
            continue;
        }
        const char c = text[++i];
        int base = 0;
        int maxDigits = 0;
        if (c == 'x') {
            base = 16;
            maxDigits = 2;
            ++i;
        } else if (c >= '0' && c <= '7') {
            base = 8;
            maxDigits = 3;
        }
        if (base == 0) {
            const char named[] = {'a',  '\a', 'b',  '\b', 'f',  '\f', 'n',
                                  '\n', 'r',  '\r', 't',  '\t', 'v',  '\v'};
            char out = c;
            for (std::size_t n = 0; n < sizeof named; n += 2) {
                if (named[n] == c) out = named[n + 1];
            }
            bytes += out;
            continue;
        }
        int value = 0;
        int digits = 0;
        while (i < text.size() && digits < maxDigits) {
            const char d = text[i];
            int digit = -1;
            if (d >= '0' && d <= '9') digit = d - '0';
            if (d >= 'a' && d <= 'f') digit = d - 'a' + 10;
            if (d >= 'A' && d <= 'F') digit = d - 'A' + 10;
            if (digit < 0 || digit >= base) break;
            value = value * base + digit;
            ++digits;
            ++i;
        }
        --i;
        bytes += char(value);
    }
    return bytes;
}

// A "key=value" value the library reads without complaint but would not write back as it is:
// an unbalanced quote (a lone '"' reads as an empty text), or an "@Variant(...)" that does not
// decode whole.
bool valueIsJunk(const QByteArray& value) {
    int quotes = 0;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == '\\') {
            ++i;
        } else if (value[i] == '"') {
            ++quotes;
        }
    }
    if (quotes % 2 != 0) return true;
    if (!value.startsWith("@Variant(") || !value.endsWith(')')) return false;
    QByteArray data = unescaped(value.mid(9, value.size() - 10));
    QDataStream stream(&data, QIODevice::ReadOnly);
    stream.setVersion(QDataStream::Qt_4_0);
    QVariant decoded;
    stream >> decoded;
    return stream.status() != QDataStream::Ok || !stream.atEnd() || !decoded.isValid();
}

// Bytes no settings file of Tomaro holds (NUL bytes, text that is not UTF-8) or values the
// library would rewrite otherwise.
bool holdsJunk(const QByteArray& text) {
    if (text.contains('\0')) return true;
    QStringDecoder decoder(QStringDecoder::Utf8);
    if (QString(decoder(text)).size() < 0 || decoder.hasError()) return true;
    for (const QByteArray& line : text.split('\n')) {
        for (const QByteArray& part : line.split('\r')) {
            const QByteArray trimmed = part.trimmed();
            if (trimmed.startsWith(';') || trimmed.startsWith('#') || trimmed.startsWith('[')) {
                continue;
            }
            const qsizetype equals = trimmed.indexOf('=');
            if (equals >= 0 && valueIsJunk(trimmed.mid(equals + 1).trimmed())) return true;
        }
    }
    return false;
}

bool readsCleanly(const QSettings& settings, const QByteArray& bytes) {
    if (settings.status() == QSettings::FormatError) return false;
    if (holdsJunk(bytes)) return false;
    // The registry, or no file yet: nothing to lose.
    if (!QFile::exists(settings.fileName())) return true;
    // The user's file alone: the keys of the system-wide fallback files must not make up for
    // lines the library could not read in it.
    const QSettings file(settings.fileName(), QSettings::IniFormat);
    if (file.status() == QSettings::FormatError) return false;
    const QStringList keys = file.allKeys();
    for (const QString& key : keys) {
        if (!file.value(key).isValid()) return false;
    }
    return entryLines(bytes) <= keys.size();
}

// The stored value reads back as `value` (a number read from the file is text there).
bool sameValue(const QVariant& stored, const QVariant& value) {
    if (!stored.isValid()) return false;
    if (stored.typeId() == value.typeId()) return stored == value;
    return stored.typeId() == QMetaType::QString && stored.toString() == value.toString();
}

}  // namespace

QtProfile::QtProfile() : m_FileName(userSettingsFile()) {
    QByteArray bytes;
    const FileState state = readBounded(m_FileName, bytes);
    if (state == FileState::Unusable) {
        // Never given to the settings library: it would hang on it, or replace it at the first
        // change. The defaults serve, and changes last for this session.
        m_Unusable = true;
        m_NoticeDue = true;
        return;
    }
    m_Settings = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                             QStringLiteral("Harnwick"), QStringLiteral("Tomaro"));
    m_FileName = m_Settings->fileName();
    m_Damaged = state == FileState::Read && !readsCleanly(*m_Settings, bytes);
    m_DamageToTell = m_Damaged;
    m_Unsaved = !canBeSaved(m_FileName);
    m_NoticeDue = m_Damaged || m_Unsaved;
}

QtProfile::~QtProfile() = default;

QVariant QtProfile::value(const QString& key) const {
    return m_Settings ? m_Settings->value(key) : m_SessionValues.value(key);
}

int QtProfile::readInt(std::string_view section, std::string_view key, int defaultValue) const {
    QVariant value = this->value(path(section, key));
    if (!value.isValid()) return defaultValue;
    bool ok = false;
    int number = value.toInt(&ok);
    return ok ? number : defaultValue;
}

std::string QtProfile::readString(std::string_view section, std::string_view key,
                                  std::string_view defaultValue) const {
    QVariant value = this->value(path(section, key));
    if (!value.isValid()) return std::string(defaultValue);
    if (value.typeId() == QMetaType::QByteArray) return value.toByteArray().toStdString();
    return value.toString().toStdString();
}

void QtProfile::writeInt(std::string_view section, std::string_view key, int value) {
    write(path(section, key), value);
}

void QtProfile::writeString(std::string_view section, std::string_view key,
                            std::string_view value) {
    const QByteArray bytes(value.data(), qsizetype(value.size()));
    const QString text = QString::fromUtf8(bytes);
    // Text is stored as text. Bytes that are not UTF-8 (a file name in another encoding) would
    // come back as replacement characters, so they are stored as bytes ("@ByteArray(...)").
    if (text.toUtf8() == bytes) {
        write(path(section, key), text);
    } else {
        write(path(section, key), bytes);
    }
}

void QtProfile::write(const QString& key, const QVariant& value) {
    if (!m_Settings) {
        m_SessionValues.insert(key, value);
        return;
    }
    // Another Tomaro may have written the file meanwhile: compare with what it holds now.
    m_Settings->sync();
    if (sameValue(m_Settings->value(key), value)) return;
    if (m_Damaged && !keepDamagedCopy()) return;
    m_Settings->setValue(key, value);
    m_Settings->sync();
    if (m_Settings->status() == QSettings::AccessError) {
        // Kept for this session by the library; the user hears of it once.
        if (!m_Unsaved) m_NoticeDue = true;
        m_Unsaved = true;
        return;
    }
    // Rewritten as the library understood it: the copy holds the rest.
    m_Damaged = false;
}

bool QtProfile::keepDamagedCopy() {
    if (!m_CopyPath.isEmpty()) return true;
    if (m_CopyFailed) return false;
    const QString fileName = m_FileName;
    const QByteArray original = contents(fileName);
    const QString stem =
        fileName + QStringLiteral(".broken-") + QDate::currentDate().toString(Qt::ISODate);
    // A copy of the same damage made earlier today serves; other damage gets its own copy.
    for (int number = 1; number <= 99; ++number) {
        const QString candidate =
            number == 1 ? stem : stem + QLatin1Char('-') + QString::number(number);
        if (QFile::exists(candidate)) {
            if (contents(candidate) != original) continue;
        } else if (!QFile::copy(fileName, candidate)) {
            break;
        }
        m_CopyPath = candidate;
        return true;
    }
    m_CopyFailed = true;
    return false;
}

std::optional<UserMessage> QtProfile::takeNotice() {
    // Said in the window's box with the program's name as its caption.
    const auto notice = [](const QString& text) {
        return UserMessage{text.toStdString(), kProgramCaption, UserMessage::Severity::Warning};
    };
    if (!m_NoticeDue) return std::nullopt;
    m_NoticeDue = false;
    const QString fileName = m_FileName;
    if (m_Unusable) {
        return notice(
            QCoreApplication::translate(
                "tomaro::QtProfile",
                "Файл настроек не прочитан: это не обычный файл, он больше 1 МБ или закрыт "
                "для чтения:\n%1\nНастройки взяты по умолчанию, их изменения не "
                "сохранятся.")
                .arg(fileName));
    }
    const QString unsaved =
        QCoreApplication::translate("tomaro::QtProfile",
                                    "Настройки не могут быть сохранены: файл\n%1\nили его папка "
                                    "закрыты для записи. Изменения действуют до выхода из "
                                    "программы.")
            .arg(fileName);
    QString text;
    if (!m_DamageToTell) return m_Unsaved ? std::optional(notice(unsaved)) : std::nullopt;
    m_DamageToTell = false;
    // A write may have come first; the copy was then made before it.
    if (!m_Damaged || keepDamagedCopy()) {
        text = QCoreApplication::translate(
                   "tomaro::QtProfile",
                   "Файл настроек прочитан не полностью:\n%1\nЕго копия сохранена как\n%2\n"
                   "Непрочитанные настройки взяты по умолчанию.")
                   .arg(fileName, m_CopyPath);
    } else {
        text = QCoreApplication::translate(
                   "tomaro::QtProfile",
                   "Файл настроек прочитан не полностью:\n%1\nСохранить его копию не удалось, "
                   "поэтому изменения настроек в него записываться не будут.")
                   .arg(fileName);
    }
    if (m_Unsaved) text += QStringLiteral("\n\n") + unsaved;
    return notice(text);
}

}  // namespace tomaro
