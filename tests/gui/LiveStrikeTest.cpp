// The whole road of one strike through the real main window: a private PulseAudio server (its
// null sink's monitor is the default input) hears a synthesised tom strike, the window's capture
// triggers, records, analyses and shows the frequency.
#include <QLabel>
#include <QProcess>
#include <QtTest>
#include <chrono>
#include <cmath>

#include "support/MainWindowFixture.h"

namespace tomaro {

class LiveStrikeTest : public QObject, protected test::MainWindowFixture {
    Q_OBJECT

private slots:
    void strikeOnTheMicrophoneEndsAsAReadout() {
        // The fixture's fresh settings: the system's default input, threshold 3000.
        const auto owned = makeWindow();
        CMainDlg& window = *owned;
        window.show();
        QCOMPARE(messageTexts(), QStringList());
        QCOMPARE(window.windowTitle(), QStringLiteral("Tomaro1.6  - жду удара нового"));
        QSignalSpy analysed(&window, &CMainDlg::analysed);

        // 0.3 s of silence, then a decaying 123.4 Hz tone with a weaker overtone. It falls under
        // the threshold (3000) before the recorded second ends, so its tail cannot start a second
        // strike that would replace the first in the record before it is checked.
        std::vector<std::int16_t> samples;
        for (int i = 0; i < int(1.8 * 48000); ++i) {
            double value = 0.0;
            if (i >= 14400) {
                const double t = (i - 14400) / 48000.0;
                value = std::exp(-t / 0.4) * (16000 * std::sin(2 * M_PI * 123.4 * t) +
                                              3000 * std::sin(2 * M_PI * 196.0 * t));
            }
            samples.push_back(static_cast<std::int16_t>(std::lround(value)));
            samples.push_back(static_cast<std::int16_t>(std::lround(value)));
        }
        // Half a second queued ahead of the sink, so that a loaded machine does not let it play a
        // gap of silence into the strike (an underrun), which would read another frequency.
        QProcess pacat;
        pacat.start("pacat", {"--playback", "--format=s16le", "--rate=48000", "--channels=2",
                              "--latency-msec=500"});
        QVERIFY(pacat.waitForStarted());
        pacat.write(reinterpret_cast<const char*>(samples.data()), qint64(samples.size() * 2));
        pacat.closeWriteChannel();

        QTRY_VERIFY_WITH_TIMEOUT(analysed.count() == 1, 15000);
        const auto now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                             std::chrono::steady_clock::now().time_since_epoch())
                             .count();
        // The read-out comes as soon as the analysed stretch is recorded, before the second ends.
        const double latencyMs = (now - window.tuner().recorder().triggerTimeNs()) / 1e6;
        qInfo("from the trigger to the read-out: %.1f ms", latencyMs);

        QVERIFY2(std::abs(window.tuner().mainFrequencyHz() - 123.4) < 0.5,
                 qPrintable(QString::number(window.tuner().mainFrequencyHz())));
        QVERIFY(window.findChild<QLabel*>("frequencyLabel")->text().startsWith("123."));
        QTRY_VERIFY(window.windowTitle().startsWith(QStringLiteral("Tomaro1.6 123.")));
        QVERIFY(window.windowTitle().endsWith(QStringLiteral(" Гц - жду удара нового")));
        // The lead-in holds the silence before the strike, the trigger at its end.
        const StrikeRecord& record = window.tuner().record();
        QVERIFY(std::abs(record.buffer[5999]) > 3000);
        QVERIFY(std::abs(record.buffer[100]) < 100);
        QVERIFY(pacat.waitForFinished(10000));
        window.close();
        QCOMPARE(messageTexts(), QStringList());
    }
};

}  // namespace tomaro

QTEST_MAIN(tomaro::LiveStrikeTest)
#include "LiveStrikeTest.moc"
