// The capture and playback paths on a real sound server: a private PulseAudio daemon with a null
// sink whose monitor is the default input (scripts/with-pulseaudio.sh starts it for this test).
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <optional>
#include <vector>

#include "audio/StrikeRecorder.h"
#include "devices/CaptureDevice.h"
#include "devices/Player.h"

namespace tomaro {

class SoundDeviceTest : public QObject {
    Q_OBJECT

private:
    // What a device call said: empty when it succeeded.
    static QString said(const std::optional<UserMessage>& failure) {
        return failure ? QString::fromStdString(failure->text) : QString();
    }

    // Interleaved stereo at 48000 Hz: `silenceSec` of silence, then a decaying tone.
    static QByteArray strike(double silenceSec, double toneHz, double amplitude, double lengthSec) {
        std::vector<std::int16_t> samples;
        const int silence = static_cast<int>(silenceSec * 48000);
        const int tone = static_cast<int>(lengthSec * 48000);
        for (int i = 0; i < silence + tone; ++i) {
            double value = 0.0;
            if (i >= silence) {
                const double t = (i - silence) / 48000.0;
                value = amplitude * std::exp(-t / 0.4) * std::sin(2 * M_PI * toneHz * t);
            }
            samples.push_back(static_cast<std::int16_t>(std::lround(value)));
            samples.push_back(static_cast<std::int16_t>(std::lround(value)));
        }
        return QByteArray(reinterpret_cast<const char*>(samples.data()),
                          static_cast<qsizetype>(samples.size() * 2));
    }

    // Starts playing raw stereo 48 kHz samples into the null sink; the event loop keeps running
    // while pacat plays.
    static std::unique_ptr<QProcess> playIntoSink(const QByteArray& raw) {
        auto pacat = std::make_unique<QProcess>();
        pacat->start("pacat", {"--playback", "--format=s16le", "--rate=48000", "--channels=2",
                               "--latency-msec=200"});
        pacat->waitForStarted();
        pacat->write(raw);
        pacat->closeWriteChannel();
        return pacat;
    }

    // Counts sign changes of the strike after the lead-in: a tone of f Hz gives 2f per second.
    static double zeroCrossingHz(const StrikeRecord& record, int from, int to) {
        int changes = 0;
        for (int i = from + 1; i < to; ++i) {
            if ((record.buffer[i - 1] < 0) != (record.buffer[i] < 0)) ++changes;
        }
        return changes / 2.0 / ((to - from) / 48000.0);
    }

    int mapperEntry(CaptureDevice& device) { return int(device.inputDeviceNames().size()) + 1; }

private slots:
    void strikeOnTheDefaultInputIsRecordedWithItsLeadIn() {
        StrikeRecord record;
        StrikeRecorder recorder(record);
        recorder.setThreshold(3000);
        CaptureDevice device(recorder);
        QCOMPARE(said(device.open(mapperEntry(device))), QString());
        QVERIFY(device.isOpen());
        QSignalSpy buffers(&device, &CaptureDevice::bufferProcessed);

        QSignalSpy progress(&device, &CaptureDevice::strikeProgress);

        auto pacat = playIntoSink(strike(0.3, 150.0, 20000.0, 1.5));
        QTRY_VERIFY_WITH_TIMEOUT(record.counter.load() == kStrikeLength, 10000);
        QTRY_VERIFY(progress.count() > 0);
        QVERIFY(buffers.count() > 0);
        QVERIFY(pacat->waitForFinished(10000));

        // The lead-in ends with the triggering sample; before the strike it is silence.
        QVERIFY(std::abs(record.buffer[5999]) > 3000);
        for (int i = 0; i < 4000; ++i) QVERIFY(std::abs(record.buffer[i]) <= 3000);
        // Loose enough for a buffer lost on a busy machine.
        QVERIFY(std::abs(zeroCrossingHz(record, 6000, 30000) - 150.0) < 5.0);
        QCOMPARE(said(device.close()), QString());
        QVERIFY(!device.isOpen());
        QCOMPARE(said(device.close()), QString());
    }

    void signalBelowTheThresholdTriggersNothing() {
        StrikeRecord record;
        StrikeRecorder recorder(record);
        recorder.setThreshold(3000);
        CaptureDevice device(recorder);
        QCOMPARE(said(device.open(mapperEntry(device))), QString());
        int buffers = 0;
        int loudestPeak = 0;
        connect(&device, &CaptureDevice::bufferProcessed, [&] {
            ++buffers;
            loudestPeak = std::max(loudestPeak, recorder.level().leftPeak);
        });
        auto pacat = playIntoSink(strike(0.1, 200.0, 2900.0, 0.6));
        QTRY_VERIFY_WITH_TIMEOUT(pacat->state() == QProcess::NotRunning, 10000);
        // Two more buffers after the sound ended: everything played has been seen.
        const int seen = buffers;
        QTRY_VERIFY_WITH_TIMEOUT(buffers >= seen + 2, 5000);
        QCOMPARE(record.counter.load(), -1);
        QVERIFY(loudestPeak > 2000);
        QVERIFY(loudestPeak <= 3000);
    }

    void strikeDuringPlaybackIsIgnoredAndPlaybackSendsTheStrike() {
        StrikeRecord record;
        StrikeRecorder recorder(record);
        recorder.setThreshold(3000);
        // A known strike in the record, as after a file load: a 300 Hz tone.
        for (int i = 0; i < kStrikeLength; ++i) {
            record.buffer[i] = static_cast<std::int16_t>(
                i < kLeadInLength ? 0 : 12000 * std::sin(2 * M_PI * 300.0 * i / 48000.0));
        }
        CaptureDevice device(recorder);
        QCOMPARE(said(device.open(mapperEntry(device))), QString());

        QTemporaryDir dir;
        const QString recordedPath = dir.filePath("monitor.raw");
        QProcess parec;
        parec.setStandardOutputFile(recordedPath);
        parec.start("parec",
                    {"--format=s16le", "--rate=48000", "--channels=1", "--latency-msec=200"});
        QVERIFY(parec.waitForStarted());

        Player player(recorder);
        QSignalSpy finished(&player, &Player::finished);
        int buffers = 0;
        connect(&device, &CaptureDevice::bufferProcessed, [&] { ++buffers; });
        QCOMPARE(said(player.play(24000)), QString());
        QVERIFY(player.isPlaying());
        QVERIFY(recorder.playing());
        QTRY_VERIFY_WITH_TIMEOUT(finished.count() == 1, 10000);
        QVERIFY(!recorder.playing());
        // The tail of the playback still comes in after the end; it must not start a strike.
        const int seen = buffers;
        QTRY_VERIFY_WITH_TIMEOUT(buffers >= seen + 4, 5000);
        // Our own playback was loud enough to trigger, but the trigger was blocked.
        QCOMPARE(record.counter.load(), -1);
        parec.terminate();
        QVERIFY(parec.waitForFinished(5000));

        QFile file(recordedPath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray raw = file.readAll();
        const auto* heard = reinterpret_cast<const std::int16_t*>(raw.constData());
        const qsizetype count = raw.size() / 2;
        // The strike must be found in what the monitor heard, block by block: a busy machine may
        // drop a few milliseconds of sound, which shifts what follows but changes no sample.
        int first = 0;
        while (std::abs(record.buffer[first]) < 500) ++first;
        constexpr int kBlock = 1000;
        int blocksFound = 0;
        for (int block = 0; block < 40; ++block) {
            const std::int16_t* wanted = record.buffer.data() + first + block * kBlock;
            for (qsizetype at = 0; at + kBlock <= count; ++at) {
                int same = 0;
                for (int i = 0; i < kBlock && std::abs(heard[at + i] - wanted[i]) <= 2; ++i) ++same;
                if (same == kBlock) {
                    ++blocksFound;
                    break;
                }
            }
        }
        QVERIFY2(blocksFound >= 36, qPrintable(QString::number(blocksFound)));
    }

    void referenceToneBlocksTheTriggerWhileItPlays() {
        StrikeRecord record;
        StrikeRecorder recorder(record);
        recorder.setThreshold(3000);
        CaptureDevice device(recorder);
        QCOMPARE(said(device.open(mapperEntry(device))), QString());
        Player player(recorder);
        QSignalSpy finished(&player, &Player::finished);
        QCOMPARE(said(player.playTone(440.0)), QString());
        QVERIFY(player.isPlaying());
        QVERIFY(recorder.playing());
        QTRY_VERIFY_WITH_TIMEOUT(finished.count() == 1, 10000);
        QVERIFY(!recorder.playing());
        // The tone at half of full scale came back through the monitor but started no strike.
        QCOMPARE(record.counter.load(), -1);
    }

    // Last, since it takes the sound server's only device away.
    void unpluggedDeviceEndsTheRecordingAndIsReportedOnce() {
        StrikeRecord record;
        StrikeRecorder recorder(record);
        recorder.setThreshold(3000);
        CaptureDevice device(recorder);
        QCOMPARE(said(device.open(mapperEntry(device))), QString());
        QSignalSpy lost(&device, &CaptureDevice::deviceLost);
        auto pacat = playIntoSink(strike(0.1, 150.0, 20000.0, 3.0));
        QTRY_VERIFY_WITH_TIMEOUT(recorder.recording(), 10000);

        QProcess::execute("pactl", {"unload-module", "module-null-sink"});
        QTRY_VERIFY_WITH_TIMEOUT(lost.count() == 1, 10000);
        const auto failure = lost.at(0).at(0).value<UserMessage>();
        QVERIFY(QString::fromStdString(failure.text).contains(QStringLiteral(" ОШИБКА: \n")));
        QVERIFY(!device.isOpen());
        QVERIFY(!recorder.recording());
        QCOMPARE(said(device.close()), QString());
        QCOMPARE(lost.count(), 1);
        pacat->waitForFinished(5000);
    }

    void playedRangeIsCentredOnTheStretchAndStaysInsideTheStrike() {
        QCOMPARE(Player::playedRange(24000, 48000), std::make_pair(0, 48000));
        QCOMPARE(Player::playedRange(100000, 200000), std::make_pair(76000, 48000));
        QCOMPARE(Player::playedRange(199000, 200000), std::make_pair(152000, 48000));
        QCOMPARE(Player::playedRange(10, 200000), std::make_pair(0, 48000));
    }
};

}  // namespace tomaro

QTEST_GUILESS_MAIN(tomaro::SoundDeviceTest)
#include "SoundDeviceTest.moc"
