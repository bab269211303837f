#include "widgets/ReadoutPanel.h"

#include <QLabel>
#include <QVBoxLayout>

#include "language/TranslatedText.h"
#include "tuning/NearestReference.h"
#include "tuning/ReadoutText.h"
#include "tuning/Tuner.h"
#include "widgets/QtText.h"
#include "widgets/StrikeQualityViews.h"

namespace tomaro {
namespace {

QLabel* makeLabel(QWidget* parent, const char* objectName) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(objectName));
    label->setAlignment(Qt::AlignCenter);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

}  // namespace

ReadoutPanel::ReadoutPanel(QWidget* parent) : QGroupBox(parent) {
    i18n::withText(static_cast<QGroupBox*>(this), this, QT_TR_NOOP("Результат"));
    auto* layout = new QVBoxLayout(this);
    m_FrequencyLabel = makeLabel(this, "frequencyLabel");
    m_NoteLabel = makeLabel(this, "noteLabel");
    m_NearestLabel = makeLabel(this, "nearestLabel");
    QFont big = m_FrequencyLabel->font();
    big.setPointSizeF(big.pointSizeF() * 2.6);
    big.setBold(true);
    m_FrequencyLabel->setFont(big);
    QFont medium = m_NoteLabel->font();
    medium.setPointSizeF(medium.pointSizeF() * 1.7);
    m_NoteLabel->setFont(medium);
    m_NearestLabel->setWordWrap(true);
    m_QualityLine = new QualityLine(this);
    m_QualityLine->setObjectName(QStringLiteral("qualityLine"));
    m_SeriesLine = new SeriesLine(this);
    m_SeriesLine->setObjectName(QStringLiteral("seriesLine"));
    // The lines keep their place from the start, so that the first strike (and a rejected one's
    // longer reasons) leave "Настраиваю:" and the controls below where a click expects them: the
    // quality line has two lines, and the wrapped lines are texts at once. A QLabel that never
    // held a text is laid out by its size hint, one that did by its height for the width; the
    // first text would turn the whole panel from the one to the other.
    m_QualityLine->setMinimumHeight(2 * m_QualityLine->fontMetrics().lineSpacing());
    for (QLabel* line : {m_NearestLabel, static_cast<QLabel*>(m_QualityLine)}) {
        line->setText(QStringLiteral(" "));
        line->setText(QString());
    }
    for (QWidget* widget : std::initializer_list<QWidget*>{
             m_FrequencyLabel, m_NoteLabel, m_NearestLabel, m_QualityLine, m_SeriesLine}) {
        layout->addWidget(widget);
    }
    connect(m_SeriesLine, &SeriesLine::clearRequested, this, &ReadoutPanel::clearSeriesRequested);
}

void ReadoutPanel::showReading(const Tuner& tuner) {
    const Readout& readout = tuner.readout();
    const double measured = tuner.mainFrequencyHz();
    // A strike without a tone says so instead of a frequency; the caption keeps its text.
    const bool noTone = tuner.hasResult() && tuner.quality().has(QualityReason::NoTone);
    const bool inRange = isReadoutFrequency(measured) && !noTone;
    if (!tuner.hasResult()) {
        m_FrequencyLabel->setText(tr("— Гц"));
    } else if (noTone) {
        m_FrequencyLabel->setText(tr("нет тона"));
    } else if (inRange && readout.nearest().displayedHz != measured) {
        // An overtone read as its drum's fundamental: "117.4 Гц из 176.1", as the read-out says.
        m_FrequencyLabel->setText(toQString(readout.lines().front().text));
    } else {
        m_FrequencyLabel->setText(toQString(tuner.record().lastFrequencyText));
    }
    m_NoteLabel->setText(inRange ? toQString(readout::noteText(readout.nearest().displayedHz, true,
                                                               tuner.kit().latinNames()))
                                 : QString());
    m_NearestLabel->setText(inRange ? toQString(readout.nearestSummary(tuner.kit())) : QString());
    if (tuner.hasResult()) {
        m_QualityLine->showQuality(tuner.quality(), tuner.lastAcceptedHz());
    } else {
        m_QualityLine->clearQuality();
    }
    const SeriesState& series = tuner.series().state();
    m_SeriesLine->showSeries(series.count, series.medianHz, series.spreadCents, series.stable);
}

}  // namespace tomaro
