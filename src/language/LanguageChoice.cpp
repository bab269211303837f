#include "language/LanguageChoice.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>

#include "language/TranslatedText.h"
#include "language/Translations.h"
#include "settings/Language.h"
#include "settings/Profile.h"

namespace tomaro {

LanguageChoice::LanguageChoice(Profile& profile, QWidget* parent)
    : QWidget(parent), m_Profile(profile), m_Label(new QLabel(this)), m_Combo(new QComboBox(this)) {
    m_Label->setObjectName(QStringLiteral("languageLabel"));
    i18n::setText(m_Label, this, QT_TR_NOOP("Язык / Language:"));
    m_Label->setBuddy(m_Combo);
    m_Combo->setObjectName(QStringLiteral("languageCombo"));
    m_Combo->addItem(QStringLiteral("Русский"));
    m_Combo->addItem(QStringLiteral("English"));
    m_Combo->setCurrentIndex(currentLanguage() == Language::English ? 1 : 0);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_Label);
    layout->addWidget(m_Combo, 1);
    connect(m_Combo, &QComboBox::activated, this, &LanguageChoice::choose);
}

void LanguageChoice::choose(int index) {
    const Language language = index == 1 ? Language::English : Language::Russian;
    storeLanguage(m_Profile, language);
    translations::apply(language);
    emit languageChanged();
}

void LanguageChoice::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::LanguageChange) return;
    const int index = currentLanguage() == Language::English ? 1 : 0;
    if (m_Combo->currentIndex() != index) m_Combo->setCurrentIndex(index);
}

}  // namespace tomaro
