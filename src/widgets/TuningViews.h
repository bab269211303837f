#pragma once

#include <QWidget>
#include <vector>

#include "tuning/TuningReading.h"

namespace tomaro {

// The tuning view's reading, drawn for a dim stage and for reading from the drum stool: the note
// name and its octave across most of the height (the name at least a sixth of the widget's height
// whenever its width allows), a bar from -50 to +50 hundredths of a semitone with the green zone
// of the tolerance and a needle at the deviation, the measured and the target frequency, and an
// arrow with "подтянуть" or "ослабить" outside the tolerance. A rejected strike is said so while
// the reading shown stays the last good one. User-interface thread only.
class TuningView : public QWidget {
    Q_OBJECT

public:
    explicit TuningView(QWidget* parent = nullptr);

    // `targetName` names the target ("12\"", "обер Пл1 12\"", empty for none).
    void showReading(const TuningReading& reading, bool rejected, int toleranceCents,
                     const QString& targetName);

    // Lug mode: the advice to a rod also reads in turns of the key ("≈ ¼ оборота"); empty: none.
    void setAdviceSuffix(const QString& suffix);

    const TuningReading& reading() const { return m_Reading; }
    bool rejected() const { return m_Rejected; }
    // The advice as drawn ("▲ подтянуть", "▼ ослабить", "в допуске"), empty for none; a rod's
    // names the rod and the cents ("винт 2: ▲ подтянуть 7 ¢").
    QString adviceLabel() const;
    // The line under the bar as drawn: "110 Гц  →  116.5 Гц (12\")   -9.6 ¢", empty for none.
    QString readingLine() const;
    // The pixel size of the note name at the widget's present size.
    int notePixelSize() const;
    // The font of the advice ("▲ подтянуть") at the widget's present size: a fixed share of the
    // height, smaller when the advice would not fit the width.
    QFont adviceFont() const;
    int advicePixelSize() const;

    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRectF noteArea() const;

    TuningReading m_Reading;
    bool m_Rejected = false;
    int m_ToleranceCents = 5;
    QString m_TargetName;
    QString m_AdviceSuffix;
};

// A head seen from above with its rods at their angles, numbered clockwise from the top. Each
// rod shows its frequency and its reading against the head's reference, then its advice as an
// arrow and unsigned cents (" ?" when its tap disagrees with the head's pattern), green within
// the tolerance, red when to be tightened, blue when to be loosened, grey when not measured; the
// rod to tap next is ringed. The head's fitted pattern is drawn across it: the tight axis solid
// and the slack axis dashed, in colours of their own (tightAxisColor(), slackAxisColor()), the
// split at the centre. A click on a rod asks for it to be selected. User-interface thread only.
class LugDiagram : public QWidget {
    Q_OBJECT

public:
    explicit LugDiagram(QWidget* parent = nullptr);

    // Rods 1..rods.size(); `selected` 1-based.
    void setRods(std::vector<LugRod> rods, int selected, LugPatternView pattern = {});
    const LugPatternView& pattern() const { return m_Pattern; }
    int selected() const { return m_Selected; }
    // Where rod `lug` is drawn at the present size.
    QPointF rodCentre(int lug) const;
    // The reading drawn beside rod `lug`: "228.6 Гц -36.0 ¢" (against the head's reference), then
    // "▲ 66 ¢", "▼ 7 ¢" or "ок"; "—" when not measured.
    QString rodLabel(int lug) const;

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

signals:
    void rodClicked(int lug);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    double headRadius() const;

    std::vector<LugRod> m_Rods;
    int m_Selected = 1;
    LugPatternView m_Pattern;
};

// Colours of the advice: green ok, red tighten, blue loosen, grey none.
QColor adviceColor(TuneAdvice advice);
// The head's tight axis (violet) and slack axis (light violet, dashed) in the lug drawing: none
// of the advice's colours.
QColor tightAxisColor();
QColor slackAxisColor();

}  // namespace tomaro
