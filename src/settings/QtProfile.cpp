#include "settings/QtProfile.h"

#include <QCoreApplication>
#include <QDate>
#include <QFile>

namespace tomaro {
namespace {

QString path(std::string_view section, std::string_view key) {
    return QStringLiteral("Tomaro1_5_demo2/") +
           QString::fromUtf8(section.data(), qsizetype(section.size())) + QLatin1Char('/') +
           QString::fromUtf8(key.data(), qsizetype(key.size()));
}

QByteArray contents(const QString& fileName) {
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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

bool readsCleanly(const QSettings& settings) {
    if (settings.status() == QSettings::FormatError) return false;
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
    return entryLines(contents(settings.fileName())) <= keys.size();
}

// The stored value reads back as `value` (a number read from the file is text there).
bool sameValue(const QVariant& stored, const QVariant& value) {
    if (!stored.isValid()) return false;
    if (stored.typeId() == value.typeId()) return stored == value;
    return stored.typeId() == QMetaType::QString && stored.toString() == value.toString();
}

}  // namespace

QtProfile::QtProfile()
    : m_Settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Harnwick"),
                 QStringLiteral("Tomaro")) {
    m_Damaged = !readsCleanly(m_Settings);
    m_NoticeDue = m_Damaged;
}

int QtProfile::readInt(std::string_view section, std::string_view key, int defaultValue) const {
    QVariant value = m_Settings.value(path(section, key));
    if (!value.isValid()) return defaultValue;
    bool ok = false;
    int number = value.toInt(&ok);
    return ok ? number : defaultValue;
}

std::string QtProfile::readString(std::string_view section, std::string_view key,
                                  std::string_view defaultValue) const {
    QVariant value = m_Settings.value(path(section, key));
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
    // Another Tomaro may have written the file meanwhile: compare with what it holds now.
    m_Settings.sync();
    if (sameValue(m_Settings.value(key), value)) return;
    if (m_Damaged && !keepDamagedCopy()) return;
    m_Settings.setValue(key, value);
    m_Settings.sync();
    // Rewritten as the library understood it: the copy holds the rest.
    m_Damaged = false;
}

bool QtProfile::keepDamagedCopy() {
    if (!m_CopyPath.isEmpty()) return true;
    if (m_CopyFailed) return false;
    const QString fileName = m_Settings.fileName();
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

std::string QtProfile::takeNotice() {
    if (!m_NoticeDue) return {};
    m_NoticeDue = false;
    const QString fileName = m_Settings.fileName();
    QString text;
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
    return text.toStdString();
}

}  // namespace tomaro
