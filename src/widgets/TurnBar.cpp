#include "widgets/TurnBar.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <cmath>

#include "language/TranslatedText.h"
#include "tuning/Tuner.h"
#include "widgets/QtText.h"

namespace tomaro {

namespace {

constexpr int kButtonEighths[3] = {1, 2, 4};

}  // namespace

TurnBar::TurnBar(Tuner& tuner, QWidget* parent) : QWidget(parent), m_Tuner(tuner) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    m_Line = new QLabel(this);
    m_Line->setObjectName(QStringLiteral("turnLine"));
    m_Line->setWordWrap(true);
    row->addWidget(m_Line, 1);
    for (int i = 0; i < 3; ++i) {
        m_Buttons[i] = new QPushButton(toQString(turns::fractionText(kButtonEighths[i])), this);
        m_Buttons[i]->setObjectName(QStringLiteral("turnButton%1").arg(kButtonEighths[i]));
        i18n::setToolTip(m_Buttons[i], this,
                         QT_TR_NOOP("Столько оборота ключа сделано по совету; следующий удар у "
                                    "этого винта покажет, сколько центов даёт оборот"));
        const int eighths = kButtonEighths[i];
        connect(m_Buttons[i], &QPushButton::clicked, this, [this, eighths] { markTurn(eighths); });
        row->addWidget(m_Buttons[i]);
    }
    m_ForgetButton = i18n::withText(new QPushButton(this), this, QT_TR_NOOP("Забыть"));
    m_ForgetButton->setObjectName(QStringLiteral("turnForgetButton"));
    i18n::setToolTip(m_ForgetButton, this,
                     QT_TR_NOOP("Забыть, сколько центов даёт оборот у этого пластика"));
    connect(m_ForgetButton, &QPushButton::clicked, this, &TurnBar::forget);
    row->addWidget(m_ForgetButton);
    follow();
}

int TurnBar::advisedRod() const {
    const LugSession& lugs = m_Tuner.lugs();
    if (m_ChosenRod > 0 && m_ChosenRod <= lugs.count() && lugs.readingHz(m_ChosenRod) > 0.0) {
        return m_ChosenRod;
    }
    if (m_Tuner.lugTuning().notice() != LugTuning::Notice::Taken) return 0;
    const int rod = m_Tuner.lugTuning().noticeRod();
    return m_Tuner.lugs().readingHz(rod) > 0.0 ? rod : 0;
}

void TurnBar::store() { turnstore::save(m_Tuner.profile(), m_DrumType, m_Head, m_Model); }

void TurnBar::follow() {
    const int drum = m_Tuner.tunedDrum();
    const int type = drum >= 0 ? m_Tuner.kit().drum(drum).type : -1;
    if (type != m_DrumType || m_Tuner.lugTuning().head() != m_Head) {
        m_DrumType = type;
        m_Head = m_Tuner.lugTuning().head();
        m_Model = turnstore::load(m_Tuner.profile(), m_DrumType, m_Head);
        m_ChosenRod = 0;
    }
    if (m_ChosenRod > 0 && m_Tuner.lugTuning().readingHz() != m_ChosenAtHz) m_ChosenRod = 0;
    if (m_Model.pending()) {
        // The head as fitted with the marked rod's present reading: a new tap of it calibrates
        // (a cleared head reads 0 and waits on).
        const LugSession& lugs = m_Tuner.lugs();
        const int lug = m_Model.pendingLug();
        if (m_Model.tapped(lug, lugs.count(), lugs.head(), lugs.readingHz(lug))) store();
    }
    const int rod = advisedRod();
    const LugAction action = rod > 0 ? m_Tuner.lugs().action(rod) : LugAction::None;
    // A turn is calibrated from the head's fit: three rods measured at least.
    const bool turnable = (action == LugAction::Tighten || action == LugAction::Loosen) &&
                          m_Tuner.lugs().head().measured >= 3;
    for (QPushButton* button : m_Buttons) button->setEnabled(turnable);
    m_ForgetButton->setEnabled(m_Model.calibrated() || m_Model.pending());
    m_Line->setText(adviceText());
}

QString TurnBar::turnText(double cents) const { return toQString(m_Model.adviceText(cents)); }

QString TurnBar::adviceText() const {
    QString text;
    const int rod = advisedRod();
    const LugAction action = rod > 0 ? m_Tuner.lugs().action(rod) : LugAction::None;
    if (action == LugAction::Tighten || action == LugAction::Loosen) {
        const double cents = std::abs(m_Tuner.lugs().deviationCents(rod));
        text = (action == LugAction::Tighten ? tr("Винт %1: подтянуть на %2 ¢")
                                             : tr("Винт %1: ослабить на %2 ¢"))
                   .arg(rod)
                   .arg(std::lround(cents));
        if (m_Model.calibrated()) text += QLatin1Char(' ') + turnText(cents);
    } else if (action == LugAction::Ok) {
        text = tr("Винт %1: в допуске").arg(rod);
    }
    if (m_Model.pending()) {
        if (!text.isEmpty()) text += QStringLiteral(" · ");
        text += tr("отмечено %1 оборота у винта %2: ударьте у него ещё раз")
                    .arg(toQString(turns::fractionText(m_Model.pendingEighths())))
                    .arg(m_Model.pendingLug());
    } else if (m_Model.calibrated()) {
        if (!text.isEmpty()) text += QStringLiteral(" · ");
        text += tr("%1 ¢ на оборот (замеров: %2)")
                    .arg(std::lround(m_Model.centsPerTurn()))
                    .arg(m_Model.calibrations().size());
    } else if (text.isEmpty()) {
        text = tr("Обороты ключа: после совета отметьте сделанный поворот");
    }
    return text;
}

void TurnBar::markTurn(int eighths) {
    const int rod = advisedRod();
    if (rod <= 0) return;
    const LugSession& lugs = m_Tuner.lugs();
    m_Model.markTurn(rod, lugs.count(), lugs.head(), lugs.readingHz(rod), eighths);
    follow();
}

void TurnBar::chooseRod(int lug) {
    m_ChosenRod = lug;
    m_ChosenAtHz = m_Tuner.lugTuning().readingHz();
    follow();
}

void TurnBar::forget() {
    m_Model.forget();
    store();
    follow();
}

void TurnBar::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) follow();
    QWidget::changeEvent(event);
}

}  // namespace tomaro
