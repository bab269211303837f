#include "gui/TwoHeadsWindow.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "base/Cents.h"
#include "history/HistoryStore.h"
#include "kit/DrumTypes.h"
#include "kit/HeadRelation.h"
#include "language/TranslatedText.h"
#include "tuning/KitOverview.h"
#include "tuning/ReadoutText.h"
#include "tuning/Tuner.h"
#include "widgets/QtText.h"

namespace tomaro {

namespace {

QString hertz(double hz) { return toQString(readout::numberText(hz)) + TwoHeadsWindow::tr(" Гц"); }

QString signedCents(double cents) {
    const long rounded = std::lround(cents);
    return (rounded > 0 ? QStringLiteral("+") : QString()) + QString::number(rounded) +
           QStringLiteral(" ¢");
}

QLabel* wrappedLabel(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setWordWrap(true);
    return label;
}

}  // namespace

TwoHeadsWindow::TwoHeadsWindow(Tuner& tuner, QWidget* parent)
    : QWidget(parent, Qt::Window), m_Tuner(tuner) {
    i18n::setWindowTitle(this, this, QT_TR_NOOP("Два пластика"));
    auto* layout = new QVBoxLayout(this);
    m_DrumLine = wrappedLabel(this, "headsDrumLine");
    QFont big = m_DrumLine->font();
    big.setPointSizeF(big.pointSizeF() * 1.3);
    big.setBold(true);
    m_DrumLine->setFont(big);
    layout->addWidget(m_DrumLine);

    auto* sides = new QHBoxLayout;
    auto* batterBox = i18n::withText(new QGroupBox(this), this, QT_TR_NOOP("Ударный (Пл1)"));
    auto* resoBox = i18n::withText(new QGroupBox(this), this, QT_TR_NOOP("Резонансный (Пл2)"));
    m_BatterLine = wrappedLabel(batterBox, "headsBatterLine");
    m_ResoLine = wrappedLabel(resoBox, "headsResoLine");
    (new QVBoxLayout(batterBox))->addWidget(m_BatterLine);
    (new QVBoxLayout(resoBox))->addWidget(m_ResoLine);
    sides->addWidget(batterBox);
    sides->addWidget(resoBox);
    layout->addLayout(sides);

    m_IntervalLine = wrappedLabel(this, "headsIntervalLine");
    m_FundamentalLine = wrappedLabel(this, "headsFundamentalLine");
    layout->addWidget(m_IntervalLine);
    layout->addWidget(m_FundamentalLine);

    auto* relationRow = new QHBoxLayout;
    relationRow->addWidget(i18n::label(this, this, QT_TR_NOOP("Соотношение:")));
    m_RelationCombo = new QComboBox(this);
    m_RelationCombo->setObjectName(QStringLiteral("headsRelationCombo"));
    i18n::setItems(
        m_RelationCombo, this,
        {QT_TR_NOOP("унисон"), QT_TR_NOOP("резонансный выше"), QT_TR_NOOP("резонансный ниже")});
    relationRow->addWidget(m_RelationCombo);
    m_SemitoneSpin = new QSpinBox(this);
    m_SemitoneSpin->setObjectName(QStringLiteral("headsSemitoneSpin"));
    m_SemitoneSpin->setRange(1, headrelation::kMaxSemitones);
    relationRow->addWidget(m_SemitoneSpin);
    relationRow->addWidget(i18n::label(this, this, QT_TR_NOOP("полутонов")));
    relationRow->addStretch(1);
    layout->addLayout(relationRow);
    connect(m_RelationCombo, &QComboBox::currentIndexChanged, this,
            &TwoHeadsWindow::relationChanged);
    connect(m_SemitoneSpin, &QSpinBox::valueChanged, this, &TwoHeadsWindow::relationChanged);

    m_TargetLine = wrappedLabel(this, "headsTargetLine");
    m_SoundLine = wrappedLabel(this, "headsSoundLine");
    layout->addWidget(m_TargetLine);
    layout->addWidget(m_SoundLine);
    m_TargetButton = i18n::withText(new QPushButton(this), this, QT_TR_NOOP("Сделать целью Пл2"));
    m_TargetButton->setObjectName(QStringLiteral("headsTargetButton"));
    i18n::setToolTip(m_TargetButton, this,
                     QT_TR_NOOP("Записать цель резонансного пластика в эталоны барабана"));
    connect(m_TargetButton, &QPushButton::clicked, this, [this] { makeTarget(); });
    layout->addWidget(m_TargetButton, 0, Qt::AlignLeft);
    m_StrikeLine = wrappedLabel(this, "headsStrikeLine");
    layout->addWidget(m_StrikeLine);
    layout->addStretch(1);
    resize(620, 420);
    refresh();
}

int TwoHeadsWindow::relationSemitones() const {
    switch (m_RelationCombo->currentIndex()) {
        case 1:
            return m_SemitoneSpin->value();
        case 2:
            return -m_SemitoneSpin->value();
        default:
            return 0;
    }
}

void TwoHeadsWindow::relationChanged() {
    const int drum = m_Tuner.tunedDrum();
    if (drum >= 0) {
        m_Tuner.profile().writeInt(kSection, drums::typeKey(m_Tuner.kit().drum(drum).type),
                                   relationSemitones());
    }
    refresh();
}

double TwoHeadsWindow::resonantTargetHz() const {
    return headrelation::resonantTargetHz({relationSemitones()}, m_BatterHz);
}

bool TwoHeadsWindow::makeTarget() {
    const int drum = m_Tuner.tunedDrum();
    const double targetHz = resonantTargetHz();
    if (drum < 0 || targetHz <= 0.0) return false;
    Kit& kit = m_Tuner.kit();
    kit.setOvertones(drum, kit.drum(drum).overtone1, targetHz);
    kit.save(m_Tuner.profile());
    m_Tuner.kitChanged();
    m_TargetWritten = true;
    emit referencesChanged();
    refresh();
    return true;
}

void TwoHeadsWindow::refresh() {
    const int drum = m_Tuner.tunedDrum();
    m_BatterHz = 0.0;
    m_ResoHz = 0.0;
    if (drum < 0) {
        m_DrumLine->setText(tr("Выберите барабан в «Настраиваю:»"));
    } else {
        m_DrumLine->setText(toQString(drums::shownName(m_Tuner.kit().drumName(drum))));
        const int stored =
            m_Tuner.profile().readInt(kSection, drums::typeKey(m_Tuner.kit().drum(drum).type), 0);
        const int semitones =
            std::clamp(stored, -headrelation::kMaxSemitones, headrelation::kMaxSemitones);
        const QSignalBlocker blockCombo(m_RelationCombo);
        const QSignalBlocker blockSpin(m_SemitoneSpin);
        m_RelationCombo->setCurrentIndex(semitones == 0 ? 0 : semitones > 0 ? 1 : 2);
        if (semitones != 0) m_SemitoneSpin->setValue(std::abs(semitones));
    }
    m_SemitoneSpin->setEnabled(m_RelationCombo->currentIndex() != 0);

    overview::TwoHeads heads;
    const history::HistoryStore* store = m_Tuner.historyStore();
    if (drum >= 0 && store != nullptr && store->isOpen()) {
        heads = overview::twoHeads(store->currentState(), m_Tuner.kit().drumName(drum));
    }
    const auto sideText = [](const overview::HeadSide& side) {
        if (side.measured == 0) return tr("Нет замера по винтам");
        QString text = tr("Высота (1,1): %1").arg(hertz(side.meanHz));
        text += tr("\nВинтов: %1 из %2").arg(side.measured).arg(side.rods);
        if (side.measured >= 2) {
            text += tr("\nРасщепление: %1 ¢").arg(side.splitCents, 0, 'f', 1);
        }
        return text;
    };
    m_BatterLine->setText(sideText(heads.batter));
    m_ResoLine->setText(sideText(heads.reso));
    m_BatterHz = heads.batter.meanHz;
    m_ResoHz = heads.reso.meanHz;
    m_IntervalLine->setText(
        heads.interval.valid
            ? tr("Интервал от Пл1 к Пл2: %1").arg(toQString(kitplan::intervalText(heads.interval)))
            : tr("Интервал: нужны замеры обоих пластиков"));
    m_FundamentalLine->setText(
        heads.fundamentalHz > 0.0
            ? tr("Основной тон (последний хороший удар): %1").arg(hertz(heads.fundamentalHz))
            : tr("Основной тон: хорошего удара ещё нет"));

    const headrelation::HeadRelation relation{relationSemitones()};
    const double targetHz = resonantTargetHz();
    if (targetHz > 0.0) {
        QString text = tr("Цель Пл2 (%1): %2")
                           .arg(toQString(headrelation::relationText(relation)), hertz(targetHz));
        if (m_ResoHz > 0.0) {
            text += tr(", сейчас %1").arg(signedCents(centsBetween(targetHz, m_ResoHz)));
        }
        m_TargetLine->setText(text);
    } else {
        m_TargetLine->setText(tr("Цель Пл2: нужен замер ударного пластика"));
    }
    m_TargetButton->setEnabled(drum >= 0 && targetHz > 0.0);
    m_SoundLine->setText(toQString(headrelation::soundText(relation)));

    takeStrike();
    QString strikes = m_Last ? tr("Последний удар: %1").arg(shapeText(*m_Last))
                             : tr("Последний удар: нет принятого удара");
    if (m_Before) strikes += '\n' + tr("До изменения пластиков: %1").arg(shapeText(*m_Before));
    m_StrikeLine->setText(strikes);
}

void TwoHeadsWindow::takeStrike() {
    const int drum = m_Tuner.tunedDrum();
    if (drum != m_ShapeDrum) {
        m_ShapeDrum = drum;
        m_Last.reset();
        m_Before.reset();
    }
    // A strike of the drum itself (a tap near a rod says nothing of its sustain).
    if (drum < 0 || m_Tuner.lugMode() || !m_Tuner.hasResult() || !m_Tuner.quality().accepted()) {
        return;
    }
    const StrikeShape now{m_Tuner.mainFrequencyHz(), m_Tuner.quality().decaySec,
                          overview::pitchBendCents(m_Tuner.pitchTrack().points())};
    // The same strike shown again (a refresh, a setting changed) reads the same.
    if (m_Last && m_Last->frequencyHz == now.frequencyHz &&
        (m_Last->decaySec == now.decaySec ||
         (std::isnan(m_Last->decaySec) && std::isnan(now.decaySec)))) {
        return;
    }
    auto moved = [](double now, double then) {
        return (now > 0.0) != (then > 0.0) ||
               (now > 0.0 && std::abs(centsBetween(then, now)) > 1.0);
    };
    if (m_Last &&
        (m_TargetWritten || moved(m_BatterHz, m_LastBatterHz) || moved(m_ResoHz, m_LastResoHz))) {
        m_Before = m_Last;
    }
    m_Last = now;
    m_LastBatterHz = m_BatterHz;
    m_LastResoHz = m_ResoHz;
    m_TargetWritten = false;
}

QString TwoHeadsWindow::shapeText(const StrikeShape& shape) const {
    const QString sustain = std::isfinite(shape.decaySec)
                                ? tr("%1 с").arg(shape.decaySec, 0, 'f', 2)
                                : tr("без затухания");
    return tr("затухание %1, уход высоты %2").arg(sustain, signedCents(shape.bendCents));
}

void TwoHeadsWindow::showEvent(QShowEvent* event) {
    refresh();
    QWidget::showEvent(event);
}

void TwoHeadsWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        i18n::retranslate(this);
        refresh();
    }
    QWidget::changeEvent(event);
}

}  // namespace tomaro
