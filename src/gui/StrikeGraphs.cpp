#include "gui/StrikeGraphs.h"

#include "tuning/Tuner.h"
#include "widgets/SignalOverview.h"
#include "widgets/SpectrumView.h"
#include "widgets/StretchZoom.h"
#include "widgets/StrikeQualityViews.h"

namespace tomaro {

StrikeGraphs::StrikeGraphs(Tuner& tuner, QWidget* parent)
    : QSplitter(Qt::Vertical, parent), m_Tuner(tuner) {
    setObjectName(QStringLiteral("graphs"));
    setChildrenCollapsible(false);
    m_Overview = new SignalOverview(m_Tuner.shownStrike(), m_Tuner.stretch(), this);
    m_Overview->setObjectName(QStringLiteral("signalOverview"));
    m_Zoom = new StretchZoom(m_Tuner.shownStrike(), m_Tuner.stretch(), m_Tuner.analyzer(), this);
    m_Zoom->setObjectName(QStringLiteral("stretchZoom"));
    m_Spectrum = new SpectrumView(m_Tuner.analyzer(), m_Tuner.settings(), m_Tuner.kit(),
                                  m_Tuner.switches(), m_Tuner.readout(), this);
    m_Spectrum->setObjectName(QStringLiteral("spectrumView"));
    m_PitchView = new PitchTrackView(m_Tuner.pitchTrack(), m_Tuner.analyzer(),
                                     m_Tuner.shownStrike(), m_Tuner.stretch(), this);
    m_PitchView->setObjectName(QStringLiteral("pitchTrackView"));
    addWidget(m_Overview);
    addWidget(m_Zoom);
    addWidget(m_Spectrum);
    addWidget(m_PitchView);
    setStretchFactor(0, 2);
    setStretchFactor(1, 3);
    setStretchFactor(2, 4);
    setStretchFactor(3, 3);
    connect(m_Overview, &SignalOverview::stretchChanged, this, &StrikeGraphs::analysisRequested);
    connect(m_Zoom, &StretchZoom::stretchChanged, this, &StrikeGraphs::analysisRequested);
    connect(m_Spectrum, &SpectrumView::frequencyPicked, this, &StrikeGraphs::analysisRequested);
}

void StrikeGraphs::showFrequencies() {
    const bool noTone = m_Tuner.hasResult() && m_Tuner.quality().has(QualityReason::NoTone);
    const double measured = m_Tuner.mainFrequencyHz();
    m_PitchView->setFrequencies(m_Tuner.hasResult() && !noTone ? measured : 0.0,
                                m_Tuner.series().state().medianHz);
}

void StrikeGraphs::updateGraphs() {
    m_Overview->update();
    m_Zoom->update();
    m_Spectrum->update();
    m_PitchView->update();
}

}  // namespace tomaro
