#include "settings/QtProfile.h"

namespace tomaro {
namespace {

QString path(std::string_view section, std::string_view key) {
    return QStringLiteral("Tomaro1_5_demo2/") +
           QString::fromUtf8(section.data(), qsizetype(section.size())) + QLatin1Char('/') +
           QString::fromUtf8(key.data(), qsizetype(key.size()));
}

}  // namespace

QtProfile::QtProfile()
    : m_Settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Harnwick"),
                 QStringLiteral("Tomaro")) {}

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
    m_Settings.setValue(path(section, key), value);
    m_Settings.sync();
}

void QtProfile::writeString(std::string_view section, std::string_view key,
                            std::string_view value) {
    const QByteArray bytes(value.data(), qsizetype(value.size()));
    const QString text = QString::fromUtf8(bytes);
    // Text is stored as text. Bytes that are not UTF-8 (a file name in another encoding) would
    // come back as replacement characters, so they are stored as bytes ("@ByteArray(...)").
    if (text.toUtf8() == bytes) {
        m_Settings.setValue(path(section, key), text);
    } else {
        m_Settings.setValue(path(section, key), bytes);
    }
    m_Settings.sync();
}

}  // namespace tomaro
