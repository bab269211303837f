#include "gui/DeviceChoice.h"

#include <QCoreApplication>
#include <QEvent>

#include "devices/CaptureDevice.h"
#include "settings/Profile.h"

namespace tomaro {
namespace {

constexpr const char* kMainSection = "CMainDlg";
constexpr const char* kDeviceKey = "m_WaveInDevice";
constexpr const char* kNoDevice = QT_TRANSLATE_NOOP("tomaro::CMainDlg", "Нет (не слушать)");

QString noDeviceText() { return QCoreApplication::translate("tomaro::CMainDlg", kNoDevice); }

}  // namespace

DeviceChoice::DeviceChoice(CaptureDevice& capture, Profile& profile, QWidget* parent)
    : QComboBox(parent), m_Capture(capture), m_Profile(profile) {
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(18);
    connect(this, &QComboBox::activated, this, [this](int entry) {
        m_Profile.writeString(kMainSection, kDeviceKey, itemData(entry).toString().toStdString());
        open(entry);
    });
}

void DeviceChoice::fill() {
    const QStringList names = m_Capture.inputDeviceNames();
    clear();
    // The stored choice is the entry's data: the first entry is stored by its Russian name.
    addItem(noDeviceText(), QString::fromUtf8(kNoDevice));
    for (const QString& name : names) addItem(name, name);
    addItem(QString::fromLatin1(CaptureDevice::kMapperName),
            QString::fromLatin1(CaptureDevice::kMapperName));
    const QString stored = QString::fromStdString(
        m_Profile.readString(kMainSection, kDeviceKey, CaptureDevice::kMapperName));
    int entry = findData(stored);
    if (entry < 0) entry = count() - 1;
    setCurrentIndex(entry);
    open(entry);
}

void DeviceChoice::open(int entry) {
    if (const std::optional<UserMessage> error = m_Capture.open(entry)) emit soundError(*error);
    emit opened();
}

void DeviceChoice::changeEvent(QEvent* event) {
    QComboBox::changeEvent(event);
    if (event->type() == QEvent::LanguageChange && count() > 0) setItemText(0, noDeviceText());
}

}  // namespace tomaro
