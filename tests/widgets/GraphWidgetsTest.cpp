#include <QApplication>
#include <QImage>
#include <QSignalSpy>
#include <QtTest>
#include <cmath>
#include <memory>
#include <vector>

#include "StrikeScene.h"
#include "analysis/PitchTrack.h"
#include "widgets/LevelMeter.h"
#include "widgets/NoteWindow.h"
#include "widgets/PlotPainting.h"
#include "widgets/SignalOverview.h"
#include "widgets/SpectrumView.h"
#include "widgets/StretchZoom.h"
#include "widgets/StrikeQualityViews.h"
#include "widgets/TuningViews.h"

using tomaro::InputLevel;
using tomaro::LevelMeter;
using tomaro::NoteWindow;
using tomaro::SignalOverview;
using tomaro::SpectrumView;
using tomaro::StretchZoom;
using tomaro::TuningReading;
using tomaro::TuningView;
using tomaro::test::StrikeScene;

namespace {

void showExposed(QWidget& widget, QSize size) {
    widget.resize(size);
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));
}

bool near(QColor a, QColor b, int tolerance = 40) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

// The pixel under a point in widget coordinates of a grabbed image (grabs are in device pixels).
QColor pixelAt(const QImage& image, double x, double y) {
    const double ratio = image.devicePixelRatio();
    return image.pixelColor(static_cast<int>(x * ratio), static_cast<int>(y * ratio));
}

// Pixels of one widget column inside [top, bottom) close to a colour.
int countInColumn(const QImage& image, double x, int top, int bottom, QColor color) {
    const double ratio = image.devicePixelRatio();
    int count = 0;
    for (int y = static_cast<int>(top * ratio); y < static_cast<int>(bottom * ratio); ++y) {
        count += near(image.pixelColor(static_cast<int>(x * ratio), y), color) ? 1 : 0;
    }
    return count;
}

// A long file read in place: stereo frames, a tone on the first channel from frame `front` on.
struct DirectFile {
    std::vector<unsigned char> bytes;
    void attach(tomaro::StrikeRecord& record, int frames) {
        bytes.assign(static_cast<std::size_t>(frames) * 4, 0);
        for (int frame = 0; frame < frames; ++frame) {
            const auto value = static_cast<std::int16_t>(8000.0 * std::sin(frame * 0.0144));
            bytes[frame * 4] = static_cast<unsigned char>(value & 0xFF);
            bytes[frame * 4 + 1] = static_cast<unsigned char>((value >> 8) & 0xFF);
        }
        record.directData = bytes.data();
        record.directChannels = 2;
        record.sampleCount = frames;
        record.startIndex = 0;
        record.sampleRateHz = 48000.0;
    }
};

}  // namespace

class SpectrumViewTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_Scene = std::make_unique<StrikeScene>();
        m_Scene->fourDrumKit();
        m_Scene->strikeTom();
        m_Scene->analyse();
        m_View = std::make_unique<SpectrumView>(m_Scene->analyzer, m_Scene->settings, m_Scene->kit,
                                                m_Scene->switches, m_Scene->readout);
        showExposed(*m_View, {640, 300});
    }
    void cleanup() {
        m_View.reset();
        m_Scene.reset();
    }

    void axisIsLogarithmicFrom20To2000Hz() {
        const QRect area = m_View->plotRect();
        QCOMPARE(m_View->frequencyAt(area.left()), 20.0);
        QVERIFY(std::abs(m_View->frequencyAt(area.left() + area.width() / 2.0) - 200.0) < 1e-9);
        QVERIFY(std::abs(m_View->frequencyAt(area.left() + area.width()) - 2000.0) < 1e-9);
        QVERIFY(std::abs(m_View->xOfFrequency(632.0) - (area.left() + area.width() * 0.75)) < 0.1);
    }

    void clickInTheMiddlePicks200HzAndEmits() {
        QSignalSpy picked(m_View.get(), &SpectrumView::frequencyPicked);
        const QRect area = m_View->plotRect();
        QCOMPARE(area.width() % 2, 0);
        QTest::mouseClick(m_View.get(), Qt::LeftButton, {},
                          QPoint(area.left() + area.width() / 2, area.center().y()));
        QCOMPARE(picked.count(), 1);
        const double hz = picked.at(0).at(0).toDouble();
        QVERIFY2(std::abs(hz - 200.0) < 1e-9, qPrintable(QString::number(hz)));
        QCOMPARE(m_Scene->analyzer.pickedFrequency(), hz);
    }

    void clickOutsideThePlotPicksNothing() {
        QSignalSpy picked(m_View.get(), &SpectrumView::frequencyPicked);
        QTest::mouseClick(m_View.get(), Qt::LeftButton, {}, QPoint(5, m_View->height() / 2));
        QTest::mouseClick(m_View.get(), Qt::RightButton, {}, m_View->plotRect().center());
        QCOMPARE(picked.count(), 0);
        QCOMPARE(m_Scene->analyzer.pickedFrequency(), 0.0);
    }

    // The second mode of the tom (1.59 x 112 Hz) lies outside a search range of 30..140 Hz; a
    // click near it makes the next analysis walk up to it.
    void clickNearAnOvertoneLeadsTheAnalysisToIt() {
        m_Scene->settings.searchRangeChanged(30, 140);
        m_Scene->analyse();
        QVERIFY(std::abs(m_Scene->analyzer.result().mainFrequencyHz - 112.0) < 0.5);
        const double overtoneHz = 1.59 * 112.0;
        const int x = static_cast<int>(std::lround(m_View->xOfFrequency(overtoneHz * 1.003)));
        QTest::mouseClick(m_View.get(), Qt::LeftButton, {},
                          QPoint(x, m_View->plotRect().center().y()));
        m_Scene->analyse();
        QVERIFY2(std::abs(m_Scene->analyzer.result().mainFrequencyHz - overtoneHz) < 1.0,
                 qPrintable(QString::number(m_Scene->analyzer.result().mainFrequencyHz)));
    }

    // Shown drums and the kinds switched on, plus the nearest drum even when it is not shown.
    void referencesFollowTheReadoutRules() {
        m_Scene->switches = {true, true, false};
        m_Scene->analyse();
        std::vector<SpectrumView::Marker> markers = m_View->markers();
        QStringList labels;
        for (const auto& marker : markers) labels << marker.label;
        QCOMPARE(labels, QStringList({"10\"", "12\"", "16\"", QString::fromUtf8("обер Пл1 10\""),
                                      QString::fromUtf8("обер Пл1 12\""),
                                      QString::fromUtf8("обер Пл1 16\"")}));
        QCOMPARE(markers[1].nearest, true);
        QCOMPARE(std::count_if(markers.begin(), markers.end(), [](auto& m) { return m.nearest; }),
                 1);
        QCOMPARE(markers[0].color, QColor(0, 0, 255));

        // No drum shown: the read-out searches them all, and the nearest one, the kick, is drawn.
        for (int drum = 0; drum < m_Scene->kit.count(); ++drum) m_Scene->kit.setShown(drum, false);
        m_Scene->strikeTom(44.0);
        m_Scene->switches = {true, false, false};
        m_Scene->settings.searchRangeChanged(30, 60);
        m_Scene->analyse();
        markers = m_View->markers();
        QCOMPARE(markers.size(), std::size_t{1});
        QCOMPARE(markers[0].label, QString::fromUtf8("Бочка"));
        QVERIFY(markers[0].nearest);
        QCOMPARE(markers[0].color, QColor(190, 0, 0));
    }

    void paintsWithoutAnalysisAndWithoutKit() {
        auto scene = std::make_unique<StrikeScene>();
        SpectrumView view(scene->analyzer, scene->settings, scene->kit, scene->switches,
                          scene->readout);
        view.resize(400, 200);
        QVERIFY(!view.grab().isNull());
        QVERIFY(view.markers().empty());
    }

private:
    std::unique_ptr<StrikeScene> m_Scene;
    std::unique_ptr<SpectrumView> m_View;
};

class SignalViewsTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_Scene = std::make_unique<StrikeScene>();
        m_Scene->strikeTom();
        m_Scene->analyse();
    }
    void cleanup() { m_Scene.reset(); }

    void overviewClickCentresTheStretchOnTheClickedFrame() {
        SignalOverview overview(m_Scene->record, m_Scene->stretch);
        showExposed(overview, {640, 140});
        QSignalSpy changed(&overview, &SignalOverview::stretchChanged);
        const QRect area = overview.plotRect();
        QCOMPARE(overview.frameAt(area.left()), 0);
        QCOMPARE(overview.frameAt(area.left() + area.width()), tomaro::kStrikeLength - 1);

        const QPoint click(area.left() + area.width() * 3 / 4, area.center().y());
        const int frame = overview.frameAt(click.x());
        QVERIFY(std::abs(frame - 36000) <= tomaro::kStrikeLength / area.width());
        QTest::mouseClick(&overview, Qt::LeftButton, {}, click);
        QCOMPARE(changed.count(), 1);
        const double centre = (m_Scene->stretch.start() + m_Scene->stretch.end()) / 2.0;
        QVERIFY2(std::abs(centre - frame) <= 1.0, qPrintable(QString::number(centre)));
    }

    void overviewDrawsTheLeadInInAnotherColour() {
        SignalOverview overview(m_Scene->record, m_Scene->stretch);
        overview.resize(640, 140);
        for (int n = 0; n < tomaro::kStrikeLength; ++n) {
            m_Scene->record.buffer[n] = static_cast<std::int16_t>(n % 2 == 0 ? 20000 : -20000);
        }
        const QImage image = overview.grab().toImage();
        const QRect area = overview.plotRect();
        const double leadX = overview.xOfFrame(3000);
        const double strikeX = overview.xOfFrame(30000);
        QVERIFY(countInColumn(image, leadX, area.top(), area.bottom(), tomaro::plot::leadIn()) > 0);
        QCOMPARE(countInColumn(image, leadX, area.top(), area.bottom(), tomaro::plot::strike()), 0);
        QVERIFY(countInColumn(image, strikeX, area.top(), area.bottom(), tomaro::plot::strike()) >
                0);
    }

    // While the capture thread copies a lead-in (-2) or records (0..47999), the views neither
    // read the strike buffer nor move the stretch.
    void signalViewsLeaveABufferBeingRecordedAlone() {
        SignalOverview overview(m_Scene->record, m_Scene->stretch);
        StretchZoom zoom(m_Scene->record, m_Scene->stretch, m_Scene->analyzer);
        showExposed(overview, {640, 140});
        showExposed(zoom, {640, 160});
        QSignalSpy centred(&overview, &SignalOverview::stretchChanged);
        QSignalSpy dragged(&zoom, &StretchZoom::stretchChanged);
        for (int counter : {-2, 6000}) {
            m_Scene->record.counter = counter;
            const QImage image = overview.grab().toImage();
            const double x = overview.xOfFrame(8000);
            QCOMPARE(countInColumn(image, x, 0, overview.height(), tomaro::plot::strike()), 0);
            const QImage zoomed = zoom.grab().toImage();
            QCOMPARE(countInColumn(zoomed, zoom.plotRect().center().x(), 0, zoom.height(),
                                   tomaro::plot::fit()),
                     0);
            QTest::mouseClick(&overview, Qt::LeftButton, {}, overview.plotRect().center());
            const QPoint from = zoom.plotRect().center();
            QTest::mousePress(&zoom, Qt::LeftButton, {}, from);
            QTest::mouseMove(&zoom, from + QPoint(50, 0));
            QTest::mouseRelease(&zoom, Qt::LeftButton, {}, from + QPoint(50, 0));
        }
        QCOMPARE(centred.count(), 0);
        QCOMPARE(dragged.count(), 0);
    }

    void zoomDragMovesTheStretchWithTheSignal() {
        StretchZoom zoom(m_Scene->record, m_Scene->stretch, m_Scene->analyzer);
        showExposed(zoom, {640, 160});
        QSignalSpy changed(&zoom, &StretchZoom::stretchChanged);
        const int start = m_Scene->stretch.start();
        const int length = m_Scene->stretch.length();
        const QRect area = zoom.plotRect();
        const QPoint from(area.left() + 200, area.center().y());
        QTest::mousePress(&zoom, Qt::LeftButton, {}, from);
        QTest::mouseMove(&zoom, from + QPoint(60, 0));
        QTest::mouseMove(&zoom, from + QPoint(100, 3));
        QTest::mouseRelease(&zoom, Qt::LeftButton, {}, from + QPoint(100, 3));
        QCOMPARE(changed.count(), 2);
        // Dragging right by 100 px shows samples 100 / width of a stretch earlier.
        const double expected = start - 100.0 / area.width() * length;
        QVERIFY2(std::abs(m_Scene->stretch.start() - expected) <= 2.0,
                 qPrintable(QString("%1 vs %2").arg(m_Scene->stretch.start()).arg(expected)));
        QVERIFY(std::abs(m_Scene->stretch.length() - length) <= 1);

        // A move without the button held does nothing.
        QTest::mouseMove(&zoom, from + QPoint(150, 0));
        QCOMPARE(changed.count(), 2);
    }

    void zoomDrawsTheFitOnlyWhileItBelongsToTheStretch() {
        StretchZoom zoom(m_Scene->record, m_Scene->stretch, m_Scene->analyzer);
        zoom.resize(640, 160);
        QVERIFY(zoom.showsFit());
        m_Scene->stretch.spinDelay(1);
        QVERIFY(!zoom.showsFit());
        m_Scene->analyse();
        QVERIFY(zoom.showsFit());
    }

    void pitchGraphDrawsTheTrackOrSaysThereIsNoTone() {
        tomaro::PitchTrack track;
        const double mainHz = m_Scene->analyzer.result().mainFrequencyHz;
        track.compute(m_Scene->record.source(), 48000.0, m_Scene->record.startIndex, mainHz, 1);
        tomaro::PitchTrackView view(track, m_Scene->analyzer, m_Scene->record, m_Scene->stretch);
        showExposed(view, {600, 160});
        auto trackPixels = [&] {
            const QImage image = view.grab().toImage();
            int count = 0;
            for (int x = 0; x < image.width(); x += 2) {
                count += countInColumn(image, x / image.devicePixelRatio(), 0, view.height(),
                                       tomaro::plot::strike());
            }
            return count;
        };
        view.setFrequencies(mainHz, mainHz * 1.01);
        QVERIFY(trackPixels() > 100);
        view.setFrequencies(0.0, 0.0);  // no tone: the placeholder only
        QCOMPARE(trackPixels(), 0);
    }

    void viewsSurviveAnEmptyRecordAndNoAnalysis() {
        auto scene = std::make_unique<StrikeScene>();
        scene->record.sampleCount = 0;
        scene->stretch.setStrike(scene->record);
        SignalOverview overview(scene->record, scene->stretch);
        StretchZoom zoom(scene->record, scene->stretch, scene->analyzer);
        showExposed(overview, {400, 120});
        showExposed(zoom, {400, 120});
        QVERIFY(!overview.grab().isNull());
        QVERIFY(!zoom.grab().isNull());
        QCOMPARE(overview.frameAt(100), -1);
        QSignalSpy centred(&overview, &SignalOverview::stretchChanged);
        QSignalSpy dragged(&zoom, &StretchZoom::stretchChanged);
        QTest::mouseClick(&overview, Qt::LeftButton, {}, overview.plotRect().center());
        QTest::mousePress(&zoom, Qt::LeftButton, {}, zoom.plotRect().center());
        QTest::mouseMove(&zoom, zoom.plotRect().center() + QPoint(40, 0));
        QTest::mouseRelease(&zoom, Qt::LeftButton, {}, zoom.plotRect().center() + QPoint(40, 0));
        QCOMPARE(centred.count(), 0);
        QCOMPARE(dragged.count(), 0);
    }

    void viewsHandleALongFileReadInPlace() {
        DirectFile file;
        constexpr int kFrames = 6'000'000;  // two minutes of stereo
        file.attach(m_Scene->record, kFrames);
        m_Scene->stretch.setStrike(m_Scene->record);
        m_Scene->analyse();
        SignalOverview overview(m_Scene->record, m_Scene->stretch);
        StretchZoom zoom(m_Scene->record, m_Scene->stretch, m_Scene->analyzer);
        showExposed(overview, {640, 140});
        showExposed(zoom, {640, 160});
        const QImage first = overview.grab().toImage();
        QVERIFY(countInColumn(first, overview.plotRect().center().x(), 0, overview.height(),
                              tomaro::plot::strike()) > 0);
        QVERIFY(zoom.showsFit());

        const QPoint click(overview.plotRect().center());
        QTest::mouseClick(&overview, Qt::LeftButton, {}, click);
        const double centre = (m_Scene->stretch.start() + m_Scene->stretch.end()) / 2.0;
        QVERIFY(std::abs(centre - overview.frameAt(click.x())) <= 1.0);

        // Another file mapped at the same address with the same length is drawn anew.
        std::fill(file.bytes.begin(), file.bytes.end(), 0);
        const QImage silent = overview.grab().toImage();
        QVERIFY(first != silent);
    }

private:
    std::unique_ptr<StrikeScene> m_Scene;
};

class LevelMeterTest : public QObject {
    Q_OBJECT

private slots:
    void barsAreBlackBelowTheOverloadPeak() {
        LevelMeter meter;
        meter.resize(200, 20);
        meter.setLevel({32299, 16384});
        const QImage image = meter.grab().toImage();
        QCOMPARE(pixelAt(image, 2, 5), QColor(0, 0, 0));
        QCOMPARE(pixelAt(image, 196, 5), QColor(0, 0, 0));
        // The right bar ends at half the width; the rest is light grey.
        QCOMPARE(pixelAt(image, 98, 15), QColor(0, 0, 0));
        QCOMPARE(pixelAt(image, 102, 15), QColor(211, 211, 211));
        for (int x = 0; x < meter.width(); ++x) {
            QVERIFY(!near(pixelAt(image, x, 10), QColor(255, 255, 0), 60));
        }
    }

    void leftPeakOf32300TurnsBothBarsRedWithAWarning() {
        LevelMeter meter;
        meter.resize(200, 20);
        meter.setLevel({32300, 8192});
        QVERIFY(meter.level().overload());
        const QImage image = meter.grab().toImage();
        QCOMPARE(pixelAt(image, 2, 2), QColor(255, 0, 0));
        QCOMPARE(pixelAt(image, 2, 17), QColor(255, 0, 0));
        QCOMPARE(pixelAt(image, 60, 17), QColor(211, 211, 211));
        int yellow = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                yellow += near(image.pixelColor(x, y), QColor(255, 255, 0), 30) ? 1 : 0;
            }
        }
        QVERIFY(yellow > 20);
    }

    void silenceShowsOnlyGrey() {
        LevelMeter meter;
        meter.resize(120, 16);
        meter.setLevel({0, 0});
        const QImage image = meter.grab().toImage();
        QCOMPARE(pixelAt(image, 0, 0), QColor(211, 211, 211));
        QCOMPARE(pixelAt(image, 0, 15), QColor(211, 211, 211));
    }
};

class TuningViewTest : public QObject {
    Q_OBJECT

private slots:
    // A strike a hair flat of its target reads "+0.0 ¢", never "-0.0 ¢".
    void readingLineShowsNoMinusZero() {
        TuningView view;
        TuningReading reading;
        reading.valid = true;
        reading.measuredHz = 110.0;
        reading.targetHz = 110.003;
        reading.cents = -0.04;
        view.showReading(reading, false, 5, QStringLiteral("12\""));
        QVERIFY2(view.readingLine().endsWith(QStringLiteral("   +0.0 ¢")),
                 qPrintable(view.readingLine()));
        reading.cents = -9.64;
        view.showReading(reading, false, 5, QStringLiteral("12\""));
        QVERIFY2(view.readingLine().endsWith(QStringLiteral("   -9.6 ¢")),
                 qPrintable(view.readingLine()));
    }
};

class NoteWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_Scene = std::make_unique<StrikeScene>();
        m_Scene->fourDrumKit();
        m_Scene->strikeTom();
        m_Scene->analyse();
    }
    void cleanup() { m_Scene.reset(); }

    void fontShrinksAndGrowsWithTheWindow() {
        NoteWindow window(m_Scene->readout);
        showExposed(window, {560, 380});
        const int medium = window.chosenFontHeightPx();
        window.resize(300, 200);
        const int small = window.chosenFontHeightPx();
        window.resize(1000, 760);
        const int large = window.chosenFontHeightPx();
        QVERIFY2(small < medium && medium < large,
                 qPrintable(QString("%1 %2 %3").arg(small).arg(medium).arg(large)));
    }

    // The chosen font is the largest whose widest line leaves the 10 px margin.
    void chosenFontIsTheLargestThatFits() {
        NoteWindow window(m_Scene->readout);
        window.resize(500, 900);
        const int height = window.chosenFontHeightPx();
        QVERIFY(height > 14 && height < 212);
        auto widest = [&](int px) {
            QFontMetrics metrics(window.noteFont((px - 14) / 2));
            int width = 0;
            for (const auto& line : m_Scene->readout.lines()) {
                width =
                    std::max(width, metrics.horizontalAdvance(QString::fromStdString(line.text)));
            }
            return width;
        };
        QVERIFY(widest(height) + 10 < 500);
        QVERIFY(widest(height + 2) + 10 >= 500);
        QVERIFY(QFontMetrics(window.noteFont(50)).height() <= tomaro::noteFontHeightPx(50) + 1);
    }

    void tooSmallAWindowUsesTheSmallestFont() {
        NoteWindow window(m_Scene->readout);
        window.resize(60, 40);
        QCOMPARE(window.chosenFontHeightPx(), 14);
        QVERIFY(!window.grab().isNull());
    }

    void paintsTheLinesInTheirColoursOnWhite() {
        NoteWindow window(m_Scene->readout);
        window.resize(560, 380);
        const QImage image = window.grab().toImage();
        QCOMPARE(pixelAt(image, 3, 3), QColor(255, 255, 255));
        int black = 0;
        int blue = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                black += near(image.pixelColor(x, y), QColor(0, 0, 0), 20) ? 1 : 0;
                blue += near(image.pixelColor(x, y), QColor(0, 0, 255), 20) ? 1 : 0;
            }
        }
        QVERIFY(black > 50);
        QVERIFY(blue > 50);
    }

    void closingEmitsClosedAndHides() {
        NoteWindow window(m_Scene->readout);
        showExposed(window, {400, 300});
        QVERIFY(window.windowFlags().testFlag(Qt::Tool));
        QSignalSpy closed(&window, &NoteWindow::closed);
        QVERIFY(window.close());
        QCOMPARE(closed.count(), 1);
        QVERIFY(!window.isVisible());
    }

private:
    std::unique_ptr<StrikeScene> m_Scene;
};

// With TOMARO_SCREENSHOT_DIR set, every widget is rendered with a realistic strike to a PNG.
class ScreenshotTest : public QObject {
    Q_OBJECT

private slots:
    void renderEveryWidget() {
        const QString folder = qEnvironmentVariable("TOMARO_SCREENSHOT_DIR");
        if (folder.isEmpty()) QSKIP("TOMARO_SCREENSHOT_DIR is not set");
        QVERIFY(QDir().mkpath(folder));
        auto scene = std::make_unique<StrikeScene>();
        scene->fourDrumKit();
        scene->switches = {true, true, false};
        scene->strikeTom();
        scene->analyse();

        auto save = [&](QWidget& widget, QSize size, const char* name) {
            widget.resize(size);
            QVERIFY(widget.grab().save(folder + "/" + name));
        };
        SignalOverview overview(scene->record, scene->stretch);
        save(overview, {820, 150}, "overview.png");
        StretchZoom zoom(scene->record, scene->stretch, scene->analyzer);
        save(zoom, {820, 180}, "zoom.png");
        SpectrumView spectrum(scene->analyzer, scene->settings, scene->kit, scene->switches,
                              scene->readout);
        save(spectrum, {820, 320}, "spectrum.png");
        LevelMeter level;
        level.setLevel({21000, 17500});
        save(level, {240, 22}, "level.png");
        level.setLevel({32500, 30000});
        save(level, {240, 22}, "level-overload.png");
        NoteWindow note(scene->readout);
        save(note, {560, 380}, "note-window.png");

        // Before the first strike: no signal, no spectrum, the references only.
        auto fresh = std::make_unique<StrikeScene>();
        fresh->fourDrumKit();
        fresh->record.sampleCount = 0;
        fresh->stretch.setStrike(fresh->record);
        fresh->readout.update(0.0, fresh->kit, fresh->switches, false);
        SignalOverview emptyOverview(fresh->record, fresh->stretch);
        save(emptyOverview, {820, 150}, "overview-empty.png");
        SpectrumView emptySpectrum(fresh->analyzer, fresh->settings, fresh->kit, fresh->switches,
                                   fresh->readout);
        save(emptySpectrum, {820, 320}, "spectrum-empty.png");
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int status = 0;
    {
        SpectrumViewTest test;
        status |= QTest::qExec(&test, argc, argv);
    }
    {
        SignalViewsTest test;
        status |= QTest::qExec(&test, argc, argv);
    }
    {
        LevelMeterTest test;
        status |= QTest::qExec(&test, argc, argv);
    }
    {
        TuningViewTest test;
        status |= QTest::qExec(&test, argc, argv);
    }
    {
        NoteWindowTest test;
        status |= QTest::qExec(&test, argc, argv);
    }
    {
        ScreenshotTest test;
        status |= QTest::qExec(&test, argc, argv);
    }
    return status;
}

#include "GraphWidgetsTest.moc"
