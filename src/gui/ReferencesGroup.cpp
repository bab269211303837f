#include "gui/ReferencesGroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/DrumChoice.h"
#include "language/TranslatedText.h"
#include "settings/Profile.h"
#include "tuning/Tuner.h"
#include "widgets/ElidedButton.h"

namespace tomaro {
namespace {

// The main window's texts keep its translation context.
constexpr i18n::Context kWindowTexts{"tomaro::CMainDlg"};

constexpr const char* kNoteWindowSection = "Options";
constexpr const char* kNoteWindowKey = "m_IsShowNotaDlg";

}  // namespace

ReferencesGroup::ReferencesGroup(Tuner& tuner, Profile& profile, QWidget* parent)
    : QGroupBox(parent), m_Tuner(tuner), m_Profile(profile) {
    i18n::setText(this, kWindowTexts, QT_TRANSLATE_NOOP("tomaro::CMainDlg", "Эталоны"));
    auto* layout = new QVBoxLayout(this);
    m_ReferencesButton = new ElidedButton(this);
    m_ReferencesButton->setObjectName(QStringLiteral("referencesButton"));
    connect(m_ReferencesButton, &QPushButton::clicked, this,
            &ReferencesGroup::referencesDialogRequested);
    layout->addWidget(m_ReferencesButton);

    auto* boxes = new QHBoxLayout;
    m_FundamentalBox = i18n::withText(new QCheckBox(this), kWindowTexts,
                                      QT_TRANSLATE_NOOP("tomaro::CMainDlg", "Основной тон"));
    m_FundamentalBox->setObjectName(QStringLiteral("fundamentalBox"));
    m_BatterBox = i18n::withText(new QCheckBox(this), kWindowTexts,
                                 QT_TRANSLATE_NOOP("tomaro::CMainDlg", "Ударный"));
    m_BatterBox->setObjectName(QStringLiteral("batterBox"));
    m_ResonantBox = i18n::withText(new QCheckBox(this), kWindowTexts,
                                   QT_TRANSLATE_NOOP("tomaro::CMainDlg", "Резонансный"));
    m_ResonantBox->setObjectName(QStringLiteral("resonantBox"));
    boxes->addWidget(m_FundamentalBox);
    boxes->addWidget(m_BatterBox);
    boxes->addWidget(m_ResonantBox);
    layout->addLayout(boxes);
    connect(m_FundamentalBox, &QCheckBox::clicked, this, [this](bool on) {
        m_Tuner.switches().fundamental = on;
        emit switchesChanged();
    });
    connect(m_BatterBox, &QCheckBox::clicked, this, [this](bool on) {
        m_Tuner.switches().setBatter(on);
        emit switchesChanged();
    });
    connect(m_ResonantBox, &QCheckBox::clicked, this, [this](bool on) {
        m_Tuner.switches().setResonant(on);
        emit switchesChanged();
    });

    m_TransferCombo = new QComboBox(this);
    m_TransferCombo->setObjectName(QStringLiteral("transferCombo"));
    i18n::setItems(m_TransferCombo, kWindowTexts,
                   {QT_TRANSLATE_NOOP("tomaro::CMainDlg", "Обертон показывать как есть"),
                    QT_TRANSLATE_NOOP("tomaro::CMainDlg", "Обертон пересчитывать в основной тон")});
    m_TransferCombo->setCurrentIndex(m_Tuner.overtoneTransfer() ? 1 : 0);
    i18n::setToolTip(m_TransferCombo, kWindowTexts,
                     QT_TRANSLATE_NOOP("tomaro::CMainDlg",
                                       "Если удар ближе всего к эталону обертона, показать "
                                       "частоту основного тона барабана"));
    connect(m_TransferCombo, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_Tuner.setOvertoneTransfer(index == 1);
        emit overtoneTransferChanged();
    });
    layout->addWidget(m_TransferCombo);

    m_NoteWindowBox = i18n::withText(new QCheckBox(this), kWindowTexts,
                                     QT_TRANSLATE_NOOP("tomaro::CMainDlg", "Ноту крупно"));
    m_NoteWindowBox->setObjectName(QStringLiteral("noteWindowBox"));
    m_NoteWindowBox->setChecked(m_Profile.readInt(kNoteWindowSection, kNoteWindowKey, 0) != 0);
    connect(m_NoteWindowBox, &QCheckBox::clicked, this, [this](bool on) {
        m_Profile.writeInt(kNoteWindowSection, kNoteWindowKey, on ? 1 : 0);
        emit noteWindowChosenChanged(on);
    });
    layout->addWidget(m_NoteWindowBox);

    auto* tuning = new QHBoxLayout;
    tuning->addWidget(
        i18n::label(this, kWindowTexts, QT_TRANSLATE_NOOP("tomaro::CMainDlg", "Настраиваю:")));
    m_DrumChoice = new DrumChoice(m_Tuner, this);
    m_DrumChoice->setObjectName(QStringLiteral("drumChoice"));
    connect(m_DrumChoice, &DrumChoice::drumChosen, this, &ReferencesGroup::drumChosen);
    tuning->addWidget(m_DrumChoice, 1);
    auto* open = i18n::withText(new QPushButton(this), kWindowTexts,
                                QT_TRANSLATE_NOOP("tomaro::CMainDlg", "Настройка..."));
    open->setObjectName(QStringLiteral("tuningButton"));
    connect(open, &QPushButton::clicked, this, &ReferencesGroup::tuningWindowRequested);
    tuning->addWidget(open);
    layout->addLayout(tuning);
}

void ReferencesGroup::showReferences(const QString& caption) {
    m_ReferencesButton->setCaption(caption);
    const ReferenceSwitches& switches = m_Tuner.switches();
    m_FundamentalBox->setChecked(switches.fundamental);
    m_BatterBox->setChecked(switches.batter);
    m_ResonantBox->setChecked(switches.resonant);
}

void ReferencesGroup::showTunedDrum() { m_DrumChoice->reload(); }

bool ReferencesGroup::noteWindowChosen() const { return m_NoteWindowBox->isChecked(); }

void ReferencesGroup::noteWindowClosed() {
    m_NoteWindowBox->setChecked(false);
    m_Profile.writeInt(kNoteWindowSection, kNoteWindowKey, 0);
}

}  // namespace tomaro
