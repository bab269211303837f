#include "gui/InputGroup.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "gui/DeviceChoice.h"
#include "language/TranslatedText.h"
#include "tuning/Tuner.h"
#include "widgets/LevelMeter.h"

namespace tomaro {
namespace {

// The main window's texts keep its translation context.
constexpr i18n::Context kWindowTexts{"tomaro::CMainDlg"};

}  // namespace

InputGroup::InputGroup(Tuner& tuner, CaptureDevice& capture, Profile& profile, QWidget* parent)
    : QGroupBox(parent), m_Tuner(tuner) {
    i18n::setText(this, kWindowTexts, QT_TRANSLATE_NOOP("tomaro::CMainDlg", "Вход"));
    auto* form = new QFormLayout(this);
    m_Devices = new DeviceChoice(capture, profile, this);
    m_Devices->setObjectName(QStringLiteral("deviceCombo"));
    form->addRow(
        i18n::label(this, kWindowTexts, QT_TRANSLATE_NOOP("tomaro::CMainDlg", "Устройство:")),
        m_Devices);

    m_ThresholdSpin = new QSpinBox(this);
    m_ThresholdSpin->setObjectName(QStringLiteral("thresholdSpin"));
    m_ThresholdSpin->setRange(0, 32768);
    m_ThresholdSpin->setSingleStep(250);
    m_ThresholdSpin->setKeyboardTracking(false);
    m_ThresholdSpin->setValue(m_Tuner.recorder().threshold());
    i18n::setToolTip(
        m_ThresholdSpin, kWindowTexts,
        QT_TRANSLATE_NOOP("tomaro::CMainDlg",
                          "Удар начинается с отсчёта, модуль которого больше порога (0..32768)"));
    connect(m_ThresholdSpin, &QSpinBox::valueChanged, this, [this](int value) {
        m_Tuner.setThreshold(value);
        m_LevelMeter->setThreshold(value);
    });
    form->addRow(i18n::label(this, kWindowTexts, QT_TRANSLATE_NOOP("tomaro::CMainDlg", "Порог:")),
                 m_ThresholdSpin);

    m_LevelMeter = new LevelMeter(this);
    m_LevelMeter->setObjectName(QStringLiteral("levelMeter"));
    m_LevelMeter->setThreshold(m_Tuner.recorder().threshold());
    form->addRow(i18n::label(this, kWindowTexts, QT_TRANSLATE_NOOP("tomaro::CMainDlg", "Уровень:")),
                 m_LevelMeter);
    // The line's two lines keep their place while it is hidden: its coming and going must not
    // move the controls below it under the pointer.
    auto* lugPlace = new QWidget(this);
    auto* lugLayout = new QVBoxLayout(lugPlace);
    lugLayout->setContentsMargins(0, 0, 0, 0);
    m_LugStatus = new QLabel(lugPlace);
    m_LugStatus->setObjectName(QStringLiteral("lugStatusLine"));
    m_LugStatus->setWordWrap(true);
    m_LugStatus->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_LugStatus->setVisible(false);
    lugLayout->addWidget(m_LugStatus);
    lugPlace->setFixedHeight(2 * m_LugStatus->fontMetrics().lineSpacing());
    form->addRow(lugPlace);

    auto* buttons = new QHBoxLayout;
    auto* open = i18n::withText(new QPushButton(this), kWindowTexts,
                                QT_TRANSLATE_NOOP("tomaro::CMainDlg", "Открыть WAV..."));
    open->setObjectName(QStringLiteral("openButton"));
    connect(open, &QPushButton::clicked, this, &InputGroup::openRequested);
    auto* importSound = i18n::withText(new QPushButton(this), kWindowTexts,
                                       QT_TRANSLATE_NOOP("tomaro::CMainDlg", "Импорт звука..."));
    importSound->setObjectName(QStringLiteral("importButton"));
    connect(importSound, &QPushButton::clicked, this, &InputGroup::importRequested);
    m_PlayButton = i18n::withText(new QPushButton(this), kWindowTexts,
                                  QT_TRANSLATE_NOOP("tomaro::CMainDlg", "▶ Прослушать"));
    m_PlayButton->setObjectName(QStringLiteral("playButton"));
    m_StopButton = i18n::withText(new QPushButton(this), kWindowTexts,
                                  QT_TRANSLATE_NOOP("tomaro::CMainDlg", "■ Стоп"));
    m_StopButton->setObjectName(QStringLiteral("stopButton"));
    m_StopButton->setEnabled(false);
    buttons->addWidget(open);
    buttons->addWidget(importSound);
    buttons->addWidget(m_PlayButton);
    buttons->addWidget(m_StopButton);
    form->addRow(buttons);
}

void InputGroup::showLevel() { m_LevelMeter->setLevel(m_Tuner.recorder().level()); }

void InputGroup::showLugStatus(const QString& text) {
    m_LugStatus->setText(text);
    m_LugStatus->setToolTip(text);
    m_LugStatus->setVisible(!text.isEmpty());
}

}  // namespace tomaro
