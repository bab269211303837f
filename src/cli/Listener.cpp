#include "cli/Listener.h"

#include <fcntl.h>
#include <unistd.h>

#include <QEventLoop>
#include <QSocketNotifier>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>
#include <thread>

#include "cli/AnalyzeSession.h"
#include "cli/MessageLine.h"
#include "cli/Report.h"
#include "devices/CaptureDevice.h"
#include "history/HistoryStore.h"
#include "history/HistoryTime.h"
#include "settings/Profile.h"

namespace tomaro {
namespace {

// SIGINT and SIGTERM end the listening: the handler only writes a byte to two pipes, one read
// by the event loop (an orderly stop) and one by a watchdog thread, which ends the process with
// the listening's status when the orderly stop has not finished within kStopGraceMs: a stalled
// sound server can hold the stream's close (or the device's opening) for ever.
constexpr int kStopGraceMs = 600;
volatile std::sig_atomic_t g_LoopPipeWrite = -1;
volatile std::sig_atomic_t g_WatchPipeWrite = -1;
int g_LoopPipeRead = -1;
std::atomic<int> g_ListenStatus{kExitAnalysed};

void onStopSignal(int) {
    const int savedErrno = errno;
    const char byte = 's';
    if (g_LoopPipeWrite >= 0) {
        [[maybe_unused]] ssize_t written = ::write(g_LoopPipeWrite, &byte, 1);
    }
    if (g_WatchPipeWrite >= 0) {
        [[maybe_unused]] ssize_t written = ::write(g_WatchPipeWrite, &byte, 1);
    }
    errno = savedErrno;
}

void watchStop(int readFd) {
    char byte = 0;
    while (::read(readFd, &byte, 1) < 0 && errno == EINTR) {
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kStopGraceMs));
    // Standard output is flushed after every reading: nothing is lost here.
    std::_Exit(g_ListenStatus.load());
}

// The sound device's failure as one line of standard error (the window shows it on two), after
// its caption: "tomaro-analyze: wave ошибка: открытие устройства ОШИБКА: ...".
void saySoundError(std::ostream& err, const UserMessage& failure) {
    UserMessage line = failure;
    line.text = QString::fromStdString(failure.text).simplified().toStdString();
    sayMessage(err, line, failure.caption);
}

// PortAudio's back-ends write their own reports on standard error, also from their own threads
// while a stream runs (a lost sound server: "Expression '...' failed in ..."), ahead of the
// program's one line. While the sound library is in use standard error is sent to /dev/null,
// unless TOMARO_SOUND_DEBUG=1; the program's own messages of that time are held and written
// after it.
class QuietSoundLibrary {
public:
    QuietSoundLibrary() {
        const char* debug = std::getenv("TOMARO_SOUND_DEBUG");
        if (debug != nullptr && debug[0] == '1') return;
        std::fflush(stderr);
        const int nullDevice = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        m_Saved = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
        if (nullDevice < 0 || m_Saved < 0 || ::dup2(nullDevice, STDERR_FILENO) < 0) {
            if (m_Saved >= 0) ::close(m_Saved);
            m_Saved = -1;
        }
        if (nullDevice >= 0) ::close(nullDevice);
    }
    ~QuietSoundLibrary() {
        if (m_Saved < 0) return;
        std::fflush(stderr);
        ::dup2(m_Saved, STDERR_FILENO);
        ::close(m_Saved);
    }
    QuietSoundLibrary(const QuietSoundLibrary&) = delete;
    QuietSoundLibrary& operator=(const QuietSoundLibrary&) = delete;
    bool active() const { return m_Saved >= 0; }

private:
    int m_Saved = -1;  // the real standard error while it is quiet
};

int listenToDevice(AnalyzeSession& session, const Profile& userProfile, const CliOptions& options,
                   std::ostream& out, std::ostream& err, history::HistoryStore* store);

std::int64_t steadyNowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

void installListenStopSignals() {
    static const bool installed = [] {
        int loop[2] = {-1, -1};
        int watch[2] = {-1, -1};
        if (::pipe2(loop, O_NONBLOCK | O_CLOEXEC) != 0 || ::pipe2(watch, O_CLOEXEC) != 0) {
            return false;
        }
        ::fcntl(watch[1], F_SETFL, O_NONBLOCK);  // the handler never waits; the watchdog does
        g_LoopPipeRead = loop[0];
        g_LoopPipeWrite = loop[1];
        g_WatchPipeWrite = watch[1];
        std::thread(watchStop, watch[0]).detach();
        struct sigaction action {};
        action.sa_handler = onStopSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGINT, &action, nullptr);
        sigaction(SIGTERM, &action, nullptr);
        return true;
    }();
    (void)installed;
}

std::optional<int> listenDeviceEntry(const QStringList& inputNames,
                                     const std::optional<std::string>& requested,
                                     const std::string& stored) {
    const int mapperEntry = static_cast<int>(inputNames.size()) + 1;
    const QString name = QString::fromStdString(requested.value_or(stored));
    if (name == QLatin1String(CaptureDevice::kMapperName)) return mapperEntry;
    const int index = static_cast<int>(inputNames.indexOf(name));
    if (index >= 0) return index + 1;
    if (requested) return std::nullopt;
    return mapperEntry;
}

int runListener(const Profile& userProfile, const CliOptions& options, std::ostream& out,
                std::ostream& err) {
    // main() installs them first thing; here for any other caller.
    installListenStopSignals();
    g_ListenStatus = kExitAnalysed;
    // --record: the window's history, lent to the session's Tuner. Declared first, so that it
    // outlives the session.
    std::optional<history::HistoryStore> store;
    const std::unique_ptr<AnalyzeSession> session = openSession(userProfile, options, err);
    if (!session) return kExitUsage;
    // For this run only: the recorder holds it, the profile is not written.
    if (options.threshold) session->tuner().recorder().setThreshold(*options.threshold);
    if (const std::optional<UserMessage> problem = session->setUpListening(options)) {
        sayMessage(err, *problem);
        return kExitUsage;
    }
    // A history that cannot be written is said and listening goes on.
    if (options.record) {
        store.emplace(history::defaultHistoryPath());
        session->tuner().setHistory(*store);
        if (auto message = store->takeMessage()) sayMessage(err, *message);
    }
    std::ostringstream held;
    int status = kExitAnalysed;
    {
        const QuietSoundLibrary quiet;
        status = listenToDevice(*session, userProfile, options, out, quiet.active() ? held : err,
                                store ? &*store : nullptr);
    }
    err << held.str() << std::flush;
    return status;
}

namespace {

int listenToDevice(AnalyzeSession& session, const Profile& userProfile, const CliOptions& options,
                   std::ostream& out, std::ostream& err, history::HistoryStore* store) {
    Tuner& tuner = session.tuner();
    auto sayStoreMessage = [&] {
        if (!store) return;
        if (auto message = store->takeMessage()) sayMessage(err, *message);
    };
    CaptureDevice capture(tuner.recorder());
    const QStringList names = capture.inputDeviceNames();
    const std::optional<int> entry = listenDeviceEntry(
        names, options.device,
        userProfile.readString("CMainDlg", "m_WaveInDevice", CaptureDevice::kMapperName));
    if (!entry) {
        err << "tomaro-analyze: no input device named '" << *options.device
            << "'; the devices are:\n";
        for (const QString& name : names) err << "  " << name.toStdString() << '\n';
        err << "  " << CaptureDevice::kMapperName << '\n';
        return kExitUsage;
    }

    const std::int64_t startNs = steadyNowNs();
    if (const std::optional<UserMessage> failure = capture.open(*entry)) {
        saySoundError(err, *failure);
        return kExitRefused;
    }

    QEventLoop loop;
    int status = kExitAnalysed;
    int readings = 0;
    bool readEarly = false;  // the strike being recorded was already printed
    bool quitAfterFinalPass = false;
    auto secondsSinceStart = [startNs](std::int64_t ns) { return (ns - startNs) / 1e9; };

    auto step = [&] {
        const PaintStep step = tuner.paintStep();
        if (!step.analysed) return;
        // A strike read early is analysed again when its second is complete, with the same
        // result: it is printed once.
        const bool again = !step.early && readEarly;
        readEarly = step.early;
        // The history takes a strike at its final pass, and the next tap goes to --lug only
        // after it: with --record or --lug the end waits for that pass.
        auto finalPass = [&] {
            sayStoreMessage();
            session.keepLug(options);
            if (quitAfterFinalPass) loop.quit();
        };
        if (again) {
            finalPass();
            return;
        }
        const std::int64_t readingNs = steadyNowNs();
        FileAnalysis reading = session.currentReading("strike " + std::to_string(readings + 1));
        reading.live = true;
        reading.load.ok = true;
        reading.load.sampleRateHz = static_cast<int>(kCaptureRateHz);
        reading.load.channels = capture.channels();
        reading.load.frames = tuner.record().sampleCount;
        auto report = assembleReport(reading, options);
        report["t_trigger_s"] = secondsSinceStart(tuner.recorder().triggerTimeNs());
        report["t_reading_s"] = secondsSinceStart(readingNs);
        errno = 0;
        out << (options.json ? reportJsonLine(report) : reportLine(report, options)) << '\n';
        if (!writtenOut(out, err)) {
            status = kExitWriteFailed;
            loop.quit();
            return;
        }
        ++readings;
        const bool last = options.strikes && readings >= *options.strikes;
        if (!step.early) {
            finalPass();
            if (last) loop.quit();
        } else if (last) {
            if (options.record || options.lug) {
                quitAfterFinalPass = true;
            } else {
                loop.quit();
            }
        }
    };
    QObject::connect(&capture, &CaptureDevice::strikeProgress, &loop, step);
    QObject::connect(&capture, &CaptureDevice::deviceLost, &loop, [&](const UserMessage& failure) {
        saySoundError(err, failure);
        status = kExitRefused;
        loop.quit();
    });
    QSocketNotifier stopNotifier(g_LoopPipeRead, QSocketNotifier::Read);
    QObject::connect(&stopNotifier, &QSocketNotifier::activated, &loop, [&] { loop.quit(); });

    loop.exec();
    g_ListenStatus = status;  // what the watchdog exits with should the close below hang
    const std::optional<UserMessage> closeFailure = capture.close();
    if (closeFailure && status == kExitAnalysed) {
        saySoundError(err, *closeFailure);
        status = kExitRefused;
    }
    return status;
}

}  // namespace

}  // namespace tomaro
