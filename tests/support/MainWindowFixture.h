#pragma once

#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "gui/CMainDlg.h"
#include "history/HistoryStore.h"
#include "settings/MemoryProfile.h"
#include "support/WavBuilder.h"
#include "widgets/UserMessageBox.h"

namespace tomaro::test {

// A decaying tone as the window tests write it into a WAV file: amplitude × e^(−t / decaySec) ×
// sin(2π f t), 40000 frames at rateHz.
struct WavTone {
    double amplitude = 10000;
    double decaySec = 0.5;
    std::uint32_t rateHz = 48000;
};

// The main window as the window tests build it: its settings in memory, its message boxes, file
// dialog and references dialog replaced so that nothing blocks, and strikes fed as WAV files of
// decaying tones written in a folder of the test's own, where the tuning history is kept too. A Qt
// test class derives from QObject and from this; the fixture lives as long as the test object, so
// it and its history outlive every window it makes.
class MainWindowFixture {
protected:
    struct Message {
        QString text;
        QString caption;
        QMessageBox::Icon icon;
    };
    struct FileDialog {
        QString title;
        QString initialPath;
        QString filters;
    };

    // A window over m_Profile, or over another profile (a real settings file, say).
    std::unique_ptr<CMainDlg> makeWindow() { return makeWindow(m_Profile); }
    std::unique_ptr<CMainDlg> makeWindow(Profile& profile) {
        AppServices services;
        // As the message box would show it.
        services.message = [this](QWidget*, const UserMessage& message) {
            m_Messages.push_back({QString::fromStdString(message.text),
                                  QString::fromStdString(message.caption),
                                  messageBoxIcon(message.severity)});
        };
        services.chooseOpenFile = [this](QWidget*, const QString& title, const QString& initial,
                                         const QString& filters) {
            m_FileDialogs.push_back({title, initial, filters});
            return m_NextChosenFile;
        };
        services.runDialog = [this](QDialog& dialog) {
            if (m_OnDialog) m_OnDialog(dialog);
        };
        return std::make_unique<CMainDlg>(profile, m_History, services);
    }

    // Every test function starts from empty settings that listen to no device, without messages
    // or dialogs seen.
    void startAfresh() {
        m_Profile = MemoryProfile();
        m_Profile.writeString("CMainDlg", "m_WaveInDevice", "Нет (не слушать)");
        m_Messages.clear();
        m_FileDialogs.clear();
        m_NextChosenFile.clear();
        m_OnDialog = nullptr;
    }

    QStringList messageTexts() const {
        QStringList texts;
        for (const Message& message : m_Messages) texts << message.text;
        return texts;
    }

    // The `samples` (mono) as a 16-bit WAV file `name` in the test's folder; returns its path.
    QString writeWav(const QString& name, const std::vector<std::int16_t>& samples,
                     std::uint32_t rateHz = 48000) {
        const QString path = m_Dir.filePath(name);
        writeWavBytes(QFile::encodeName(path), samples, rateHz);
        return path;
    }
    // The same at a path in the file system's own bytes (a name that is not UTF-8).
    static void writeWavBytes(const QByteArray& path, const std::vector<std::int16_t>& samples,
                              std::uint32_t rateHz = 48000) {
        WavBuilder wav;
        wav.sampleRateHz = rateHz;
        wav.samples = samples;
        writeFile(path.toStdString(), wav.bytes());
    }

    static std::vector<std::int16_t> toneSamples(double frequencyHz, const WavTone& tone = {}) {
        std::vector<std::int16_t> samples;
        for (int i = 0; i < 40000; ++i) {
            const double t = double(i) / tone.rateHz;
            samples.push_back(static_cast<std::int16_t>(
                std::lround(tone.amplitude * std::exp(-t / tone.decaySec) *
                            std::sin(2 * M_PI * frequencyHz * t))));
        }
        return samples;
    }
    QString writeTone(const QString& name, double frequencyHz, const WavTone& tone = {}) {
        return writeWav(name, toneSamples(frequencyHz, tone), tone.rateHz);
    }
    QString writeSilence(const QString& name = QStringLiteral("silence.wav")) {
        return writeWav(name, std::vector<std::int16_t>(30000, 0));
    }

    // Lets every layout the last change asked for take place (a layout request may ask for the
    // next one up).
    static void settleLayouts() {
        for (int round = 0; round < 8; ++round) {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            QCoreApplication::processEvents();
        }
    }

    // Chooses an entry as the user does.
    static void choose(QComboBox* combo, int entry) {
        combo->setCurrentIndex(entry);
        emit combo->activated(entry);
    }

    MemoryProfile m_Profile;
    QTemporaryDir m_Dir;
    std::vector<Message> m_Messages;
    std::vector<FileDialog> m_FileDialogs;
    QString m_NextChosenFile;  // the file dialog's answer
    std::function<void(QDialog&)> m_OnDialog;
    // The tuning history every window borrows, as the application object lends its own.
    history::HistoryStore m_History{m_Dir.filePath(QStringLiteral("tomaro.sqlite")).toStdString()};
};

}  // namespace tomaro::test
