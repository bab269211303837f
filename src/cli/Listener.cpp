#include "cli/Listener.h"

#include <fcntl.h>
#include <unistd.h>

#include <QEventLoop>
#include <QSocketNotifier>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <memory>
#include <ostream>

#include "audio/CaptureDevice.h"
#include "cli/AnalyzeSession.h"
#include "cli/Report.h"
#include "history/HistoryStore.h"
#include "history/HistoryTime.h"
#include "settings/Language.h"
#include "settings/Profile.h"

namespace tomaro {
namespace {

// SIGINT and SIGTERM end the listening through a pipe, so that the handler only writes a byte.
volatile std::sig_atomic_t g_StopPipeWrite = -1;

void onStopSignal(int) {
    const int savedErrno = errno;
    if (g_StopPipeWrite >= 0) {
        const char byte = 's';
        [[maybe_unused]] ssize_t written = ::write(g_StopPipeWrite, &byte, 1);
    }
    errno = savedErrno;
}

// Installs the stop handlers for the life of the object and restores the previous ones.
class StopSignals {
public:
    StopSignals() {
        if (::pipe2(m_Pipe, O_NONBLOCK | O_CLOEXEC) != 0) return;
        g_StopPipeWrite = m_Pipe[1];
        struct sigaction action {};
        action.sa_handler = onStopSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGINT, &action, &m_OldInt);
        sigaction(SIGTERM, &action, &m_OldTerm);
        m_Installed = true;
    }
    ~StopSignals() {
        if (m_Installed) {
            sigaction(SIGINT, &m_OldInt, nullptr);
            sigaction(SIGTERM, &m_OldTerm, nullptr);
        }
        g_StopPipeWrite = -1;
        for (int fd : m_Pipe) {
            if (fd >= 0) ::close(fd);
        }
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;
    int readFd() const { return m_Pipe[0]; }

private:
    int m_Pipe[2] = {-1, -1};
    bool m_Installed = false;
    struct sigaction m_OldInt {};
    struct sigaction m_OldTerm {};
};

std::int64_t steadyNowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

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
    // Before the sound library starts (which can take a second): a Ctrl+C from now on ends the
    // listening as one after it does.
    StopSignals stopSignals;
    const std::unique_ptr<AnalyzeSession> session = openSession(userProfile, options, err);
    if (!session) return kExitUsage;
    Tuner& tuner = session->tuner();
    // For this run only: the recorder holds it, the profile is not written.
    if (options.threshold) tuner.recorder().setThreshold(*options.threshold);
    std::string setUpError;
    if (!session->setUpListening(options, setUpError)) {
        err << "tomaro-analyze: " << setUpError << '\n';
        return kExitUsage;
    }
    // --record: the window's history; one that cannot be written is said and listening goes on.
    std::unique_ptr<history::HistoryStore> store;
    auto sayStoreMessage = [&] {
        if (store && store->hasMessage()) err << "tomaro-analyze: " << store->takeMessage() << '\n';
    };
    if (options.record) {
        store = std::make_unique<history::HistoryStore>(history::defaultHistoryPath());
        tuner.setHistory(store.get());
        sayStoreMessage();
    }

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
    const QString openError = capture.open(*entry);
    if (!openError.isEmpty()) {
        err << "tomaro-analyze: " << pick("wave ошибка: ", "wave error: ")
            << openError.toStdString() << '\n';
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
            session->keepLug(options);
            if (quitAfterFinalPass) loop.quit();
        };
        if (again) {
            finalPass();
            return;
        }
        const std::int64_t readingNs = steadyNowNs();
        FileAnalysis reading = session->currentReading("strike " + std::to_string(readings + 1));
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
    QObject::connect(&capture, &CaptureDevice::deviceLost, &loop, [&](const QString& text) {
        err << "tomaro-analyze: " << pick("wave ошибка: ", "wave error: ") << text.toStdString()
            << '\n';
        status = kExitRefused;
        loop.quit();
    });
    QSocketNotifier stopNotifier(stopSignals.readFd(), QSocketNotifier::Read);
    QObject::connect(&stopNotifier, &QSocketNotifier::activated, &loop, [&] { loop.quit(); });

    loop.exec();
    const QString closeError = capture.close();
    if (!closeError.isEmpty() && status == kExitAnalysed) {
        err << "tomaro-analyze: " << pick("wave ошибка: ", "wave error: ")
            << closeError.toStdString() << '\n';
        status = kExitRefused;
    }
    return status;
}

}  // namespace tomaro
