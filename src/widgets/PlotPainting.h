#pragma once

#include <QColor>
#include <QFont>
#include <QLineF>
#include <QPen>
#include <QRect>
#include <QString>
#include <vector>

#include "tuning/Color.h"
#include "tuning/WaveformColumns.h"

class QPainter;

namespace tomaro {

struct StrikeRecord;

// Drawing pieces shared by the graph widgets, so the plots stacked in the main window line up and
// look alike. Coordinates are device-independent pixels. User-interface thread only.
namespace plot {

// Margins around the plot area: room for the y labels, the title and the x labels.
inline constexpr int kLeftMargin = 44;
inline constexpr int kRightMargin = 12;
inline constexpr int kTopMargin = 20;
inline constexpr int kBottomMargin = 20;

// The calm colour set of the plots.
QColor background();  // white
QColor frame();       // plot border
QColor grid();        // major grid lines
QColor minorGrid();   // minor grid lines
QColor label();       // tick labels
QColor title();       // plot titles
QColor band();        // analysed stretch and search range fill
QColor bandEdge();    // their edges
QColor strike();      // recorded signal after the strike front
QColor leadIn();      // recorded signal before the strike front
QColor fit();         // fitted waveform, contrasting with the signal
QColor spectrum();    // spectrum curve
QColor measured();    // measured main frequency

QColor toQColor(Rgb color);

// The area the data is drawn in, inside a widget of the given rectangle (at least 1 x 1).
QRect plotArea(const QRect& widget, int rightMargin = kRightMargin);

// Small fonts derived from the widget's font.
QFont tickFont(const QFont& base);
QFont titleFont(const QFont& base);

// White background, the title above the plot at its left, the plot border.
void drawBackground(QPainter& painter, const QRect& widget);
void drawTitle(QPainter& painter, const QRect& plot, const QString& text);
void drawFrame(QPainter& painter, const QRect& plot);
// A faint centred message in an empty plot ("Нет сигнала").
void drawPlaceholder(QPainter& painter, const QRect& plot, const QString& text);

// A text centred on x below the plot, kept inside [minX, maxX].
void drawXLabel(QPainter& painter, const QRect& plot, double x, const QString& text, int minX,
                int maxX);
// A text right-aligned left of the plot, centred on y.
void drawYLabel(QPainter& painter, const QRect& plot, double y, const QString& text);

// Vertical grid lines and labels of a time axis running from firstSec at the plot's left edge to
// lastSec at its right edge; nothing when the span is empty or not finite.
void drawTimeAxis(QPainter& painter, const QRect& plot, const QRect& widget, double firstSec,
                  double lastSec);

// A signal normalised to its peak: the centre line and the +-1 range sit at these heights.
double amplitudeCentreY(const QRect& plot);
double amplitudeHalfHeight(const QRect& plot);
// Horizontal grid at -1, -0.5, 0, 0.5, 1 of the normalised amplitude, labelled -1, 0, 1.
void drawAmplitudeGrid(QPainter& painter, const QRect& plot);

// Round tick positions (1, 2 or 5 times a power of ten) inside [lo, hi], at most about maxCount.
double tickStep(double lo, double hi, int maxCount);
std::vector<double> ticks(double lo, double hi, double step);
// A tick value with as many decimals as the step needs, decimal point, "-" for negatives.
QString tickText(double value, double step);

// The column reduction of the core (display/WaveformColumns.h), under the names the widgets use.
using tomaro::ColumnExtremes;
using tomaro::columnExtremes;
using tomaro::peakOf;

// A polyline through the columns as separate segments (a path of thousands of overlapping
// vertical strokes is slow to fill): column c at x = left + (c + 0.5) * width / columns, values
// mapped by y = centreY - value * yScale. `lines` is cleared and refilled.
void waveformLines(const std::vector<ColumnExtremes>& columns, double left, double width,
                   double centreY, double yScale, std::vector<QLineF>& lines);

// The pen for waveformLines(): flat caps, so the ends of neighbouring segments do not overlap and
// darken their joints.
QPen waveformPen(const QColor& color, double width);

// Whether the capture thread may be writing the samples record.source() reads: a live strike is
// being triggered (lead-in copy) or recorded into the strike buffer. The signal views then leave
// the buffer alone; a long file read in place stays readable.
bool sourceBeingRecorded(const StrikeRecord& record);

// Number of columns to reduce a stretch of `count` frames to on a plot `widthPx` wide at the given
// device pixel ratio: one per device pixel, never more than the frames.
int columnCount(int count, int widthPx, double devicePixelRatio);

}  // namespace plot
}  // namespace tomaro
