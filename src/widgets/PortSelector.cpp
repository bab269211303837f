#include "widgets/PortSelector.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <utility>

#include "devices/SerialPort.h"
#include "language/TranslatedText.h"
#include "settings/Profile.h"
#include "widgets/QtText.h"
#include "widgets/UserMessageBox.h"

namespace tomaro {
namespace {

constexpr char kSection[] = "Options";
constexpr char kKey[] = "m_PortSelect";

}  // namespace

PortSelector::PortSelector(SerialPort& port, Profile& profile, QWidget* parent,
                           ErrorDisplay showError)
    : QWidget(parent),
      m_Port(port),
      m_Profile(profile),
      m_ShowError(showError ? std::move(showError) : ErrorDisplay(&PortSelector::showErrorBox)),
      m_Combo(new QComboBox(this)) {
    auto* label = i18n::withText(new QLabel(this), this, QT_TR_NOOP("Порт"));
    label->setObjectName(QStringLiteral("portLabel"));
    label->setBuddy(m_Combo);
    m_Combo->setObjectName(QStringLiteral("portSelect"));
    i18n::setItems(m_Combo, this, {QT_TR_NOOP("Не выбран")});
    for (int n = 1; n <= kPortCount; ++n) m_Combo->addItem(QStringLiteral("COM%1").arg(n));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(label);
    layout->addWidget(m_Combo, 1);
    hide();  // stays hidden when the main window shows its layout

    int index = m_Profile.readInt(kSection, kKey, 0);
    if (index < 0 || index > kPortCount) index = 0;
    m_Combo->setCurrentIndex(index);
    applySelection(index);

    // `activated` comes from the user only, so resetting the list after a failure is not
    // taken for a new choice.
    connect(m_Combo, &QComboBox::activated, this, &PortSelector::onUserChoice);
}

void PortSelector::showErrorBox(QWidget* parent, const QString& text, const QString& caption) {
    showUserMessage(parent,
                    UserMessage{toUtf8(text), toUtf8(caption), UserMessage::Severity::Error});
}

void PortSelector::onUserChoice(int index) {
    m_Profile.writeInt(kSection, kKey, index);
    applySelection(index);
}

void PortSelector::applySelection(int index) {
    m_Port.close();
    if (index == 0) return;
    if (m_Port.open(index, kBaudRate)) return;
    m_Combo->setCurrentIndex(0);
    m_ShowError(window(), QString::fromStdString(m_Port.errorText()), tr("ОШИБКА"));
}

}  // namespace tomaro
