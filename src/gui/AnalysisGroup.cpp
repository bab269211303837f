#include "gui/AnalysisGroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>

#include "language/TranslatedText.h"
#include "tuning/Tuner.h"
#include "widgets/QtText.h"
#include "widgets/StepField.h"

namespace tomaro {
namespace {

// The main window's texts keep its translation context.
constexpr i18n::Context kWindowTexts{"tomaro::CMainDlg"};

}  // namespace

AnalysisGroup::AnalysisGroup(Tuner& tuner, QWidget* parent) : QGroupBox(parent), m_Tuner(tuner) {
    i18n::setText(this, kWindowTexts, QT_TRANSLATE_NOOP("tomaro::CMainDlg", "Анализ"));
    auto* form = new QFormLayout(this);

    m_WindowCombo = new QComboBox(this);
    m_WindowCombo->setObjectName(QStringLiteral("windowCombo"));
    i18n::setItems(m_WindowCombo, kWindowTexts,
                   {QT_TRANSLATE_NOOP("tomaro::CMainDlg", "П - образное"),
                    QT_TRANSLATE_NOOP("tomaro::CMainDlg", "Гаусс 1/e"),
                    QT_TRANSLATE_NOOP("tomaro::CMainDlg", "Гаусс 1/e^3")});
    connect(m_WindowCombo, &QComboBox::currentIndexChanged, this, [this](int kind) {
        m_Tuner.settings().setWindowKind(kind);
        emit changed();
    });
    form->addRow(i18n::label(this, kWindowTexts, QT_TRANSLATE_NOOP("tomaro::CMainDlg", "Окно:")),
                 m_WindowCombo);

    m_DelayField = makeStretchField("delayField", &Stretch::spinDelay, &Stretch::setDelaySec);
    form->addRow(i18n::label(this, kWindowTexts,
                             QT_TRANSLATE_NOOP("tomaro::CMainDlg", "Задержка от фронта:")),
                 m_DelayField);
    m_LengthField = makeStretchField("lengthField", &Stretch::spinLength, &Stretch::setLengthSec);
    form->addRow(i18n::label(this, kWindowTexts,
                             QT_TRANSLATE_NOOP("tomaro::CMainDlg", "Длина области анализа")),
                 m_LengthField);

    auto* range = new QHBoxLayout;
    m_FindF0Spin = new QSpinBox(this);
    m_FindF0Spin->setObjectName(QStringLiteral("findF0Spin"));
    m_FindF1Spin = new QSpinBox(this);
    m_FindF1Spin->setObjectName(QStringLiteral("findF1Spin"));
    for (QSpinBox* spin : {m_FindF0Spin, m_FindF1Spin}) {
        // The fields accept anything; the range change clamps and swaps like the analysis does.
        spin->setRange(-100000, 100000);
        spin->setSingleStep(5);
        spin->setKeyboardTracking(false);
        range->addWidget(spin);
        connect(spin, &QSpinBox::valueChanged, this, [this] {
            const auto [f0, f1] =
                m_Tuner.settings().searchRangeChanged(m_FindF0Spin->value(), m_FindF1Spin->value());
            const QSignalBlocker block0(m_FindF0Spin);
            const QSignalBlocker block1(m_FindF1Spin);
            m_FindF0Spin->setValue(f0);
            m_FindF1Spin->setValue(f1);
            emit changed();
        });
    }
    range->addWidget(i18n::label(this, kWindowTexts, QT_TRANSLATE_NOOP("tomaro::CMainDlg", "Гц")));
    form->addRow(i18n::label(this, kWindowTexts, QT_TRANSLATE_NOOP("tomaro::CMainDlg", "Поиск:")),
                 range);

    m_DecayBox = i18n::withText(new QCheckBox(this), kWindowTexts,
                                QT_TRANSLATE_NOOP("tomaro::CMainDlg", "Учёт затухания"));
    m_DecayBox->setObjectName(QStringLiteral("decayBox"));
    connect(m_DecayBox, &QCheckBox::toggled, this, [this](bool on) {
        m_Tuner.settings().setDecayAccounting(on);
        emit changed();
    });
    form->addRow(m_DecayBox);

    auto* defaults =
        i18n::withText(new QPushButton(this), kWindowTexts,
                       QT_TRANSLATE_NOOP("tomaro::CMainDlg", "Настройки анализа по умолчанию"));
    defaults->setObjectName(QStringLiteral("analysisDefaultsButton"));
    connect(defaults, &QPushButton::clicked, this, [this] {
        m_Tuner.settings().restoreDefaults();
        m_Tuner.stretch().restoreDefaults();
        showSettings();
        emit changed();
    });
    form->addRow(defaults);
    showSettings();
}

// Both fields act on the stretch: the arrows by its step rules, typed values directly.
StepField* AnalysisGroup::makeStretchField(const char* name, void (Stretch::*spin)(int),
                                           void (Stretch::*set)(double)) {
    auto* field = new StepField(this);
    field->setObjectName(QLatin1String(name));
    connect(field, &StepField::stepped, this, [this, spin](int steps) {
        (m_Tuner.stretch().*spin)(steps);
        emit changed();
    });
    connect(field, &StepField::valueEntered, this, [this, set](double value) {
        (m_Tuner.stretch().*set)(value);
        emit changed();
    });
    return field;
}

void AnalysisGroup::showStretch() {
    m_DelayField->setDisplayText(toQString(m_Tuner.stretch().delayText()));
    m_LengthField->setDisplayText(toQString(m_Tuner.stretch().lengthText()));
}

void AnalysisGroup::showSettings() {
    const AnalysisSettings& settings = m_Tuner.settings();
    const QSignalBlocker blockKind(m_WindowCombo);
    const QSignalBlocker blockDecay(m_DecayBox);
    const QSignalBlocker block0(m_FindF0Spin);
    const QSignalBlocker block1(m_FindF1Spin);
    // Any stored kind other than 0 and 2 is analysed as "Гаусс 1/e", so it shows as that.
    const int kind = settings.windowKind();
    m_WindowCombo->setCurrentIndex(kind == 0 || kind == 2 ? kind : 1);
    m_DecayBox->setChecked(settings.decayAccounting());
    // The range as read (held and swapped like a typed one); stored again only when edited.
    m_FindF0Spin->setValue(settings.findF0());
    m_FindF1Spin->setValue(settings.findF1());
}

}  // namespace tomaro
