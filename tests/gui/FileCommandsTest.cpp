// The main window's file commands on the offscreen platform, with its settings in memory and its
// message boxes and file dialog replaced: opening WAV files (chosen, given on the command line,
// refused) and importing sounds of any format beside a progress dialog.
#include <sndfile.h>

#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <cmath>
#include <filesystem>

#include "gui/CMainDlg.h"
#include "support/MainWindowFixture.h"

namespace tomaro {

class FileCommandsTest : public QObject, protected test::MainWindowFixture {
    Q_OBJECT

private slots:
    void init() { startAfresh(); }

    void openCommandAnalysesTheChosenFileAndRemembersIt() {
        auto window = makeWindow();
        m_NextChosenFile = writeTone("tom.wav", 130.0);
        QSignalSpy analysed(window.get(), &CMainDlg::analysed);
        auto* play = window->findChild<QPushButton*>("playButton");
        QVERIFY(!play->isEnabled());  // nothing to play yet
        window->findChild<QPushButton*>("openButton")->click();
        QVERIFY(play->isEnabled());
        QCOMPARE(m_FileDialogs.back().title, QStringLiteral("Выбирите файл"));
        QCOMPARE(m_FileDialogs.back().filters,
                 QStringLiteral("WAV - файлы (*.wav);;Все файлы (*.*)"));
        QVERIFY(m_FileDialogs.back().initialPath.endsWith("/12345.wav"));
        QCOMPARE(analysed.count(), 1);
        QVERIFY(m_Messages.empty());
        QVERIFY(std::abs(window->tuner().mainFrequencyHz() - 130.0) < 0.1);
        QCOMPARE(window->findChild<QLabel*>("frequencyLabel")->text(), QStringLiteral("130.00 Гц"));
        QCOMPARE(QString::fromStdString(m_Profile.readString("OPEN", "GetOpenFileName_NAME", "")),
                 QStringLiteral("tom.wav"));
        QCOMPARE(QString::fromStdString(m_Profile.readString("OPEN", "GetOpenFileName_PATH", "")),
                 m_Dir.path());
        // The next step shows the frequency in the caption.
        QTRY_COMPARE(window->windowTitle(), QStringLiteral("Tomaro1.6 130.00 Гц - НЕТ АУДИО"));
    }

    void refusedFileShowsItsMessageAndKeepsTheStrike() {
        auto window = makeWindow();
        window->openFile(writeTone("good.wav", 200.0));
        const double before = window->tuner().mainFrequencyHz();
        test::WavTone slow;
        slow.rateHz = 2999;
        window->openFile(writeTone("slow.wav", 200.0, slow));
        QCOMPARE(m_Messages.size(), size_t(1));
        QCOMPARE(m_Messages[0].text,
                 QStringLiteral("Частота дискретизации этого файла 2999 Гц, какая то не такая!"));
        QCOMPARE(m_Messages[0].icon, QMessageBox::Critical);
        QCOMPARE(window->tuner().mainFrequencyHz(), before);

        window->openFile(m_Dir.filePath("missing.wav"));
        QCOMPARE(m_Messages.back().text, QStringLiteral("не могу открыть файл !!! \n"));

        // Cancel in the dialog, or a path too short to be one, does nothing.
        m_NextChosenFile = "ab";
        window->chooseAndOpenFile();
        QCOMPARE(m_Messages.size(), size_t(2));
    }

    void importCommandAnalysesAnyFormatAndRemembersItsOwnFolder() {
        auto window = makeWindow();
        // Two seconds of 24-bit FLAC: longer than a strike, so the whole sound is held.
        const QString flac = m_Dir.filePath("tom.flac");
        SF_INFO info{};
        info.samplerate = 48000;
        info.channels = 1;
        info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_24;
        SNDFILE* file = sf_open(flac.toLocal8Bit().constData(), SFM_WRITE, &info);
        QVERIFY(file != nullptr);
        for (int i = 0; i < 96000; ++i) {
            const double t = i / 48000.0;
            const double value = 0.3 * std::exp(-t / 0.5) * std::sin(2 * M_PI * 130.0 * t);
            sf_writef_double(file, &value, 1);
        }
        sf_close(file);

        m_NextChosenFile = flac;
        QSignalSpy analysed(window.get(), &CMainDlg::analysed);
        window->findChild<QPushButton*>("importButton")->click();
        QCOMPARE(m_FileDialogs.back().title, QStringLiteral("Выберите звуковой файл"));
        QVERIFY(m_FileDialogs.back().filters.contains("*.flac") &&
                m_FileDialogs.back().filters.contains("*.mp3"));
        QCOMPARE(analysed.count(), 1);
        QVERIFY(m_Messages.empty());
        QVERIFY(window->tuner().shownStrike().readsInPlace());
        QVERIFY(std::abs(window->tuner().mainFrequencyHz() - 130.0) < 0.01);
        window->grab();  // the graphs draw the held sound
        QCOMPARE(QString::fromStdString(m_Profile.readString("OPEN", "ImportSound_NAME", "")),
                 QStringLiteral("tom.flac"));
        QCOMPARE(QString::fromStdString(m_Profile.readString("OPEN", "ImportSound_PATH", "")),
                 m_Dir.path());
        QVERIFY(!m_Profile.contains("OPEN", "GetOpenFileName_NAME"));

        m_NextChosenFile = m_Dir.filePath("notes.txt");
        QFile text(m_NextChosenFile);
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("not a sound");
        text.close();
        window->findChild<QPushButton*>("importButton")->click();
        QCOMPARE(m_FileDialogs.back().initialPath, flac);
        QCOMPARE(m_Messages.size(), size_t(1));
        QVERIFY(m_Messages[0].text.startsWith("Не могу прочитать звук из этого файла !\n"));
        QVERIFY(std::abs(window->tuner().mainFrequencyHz() - 130.0) < 0.01);
    }

    // A long sound is decoded beside a progress dialog that can cancel it; the sound held from
    // the previous import is given back before the new one is decoded.
    void importRunsBesideAProgressDialogThatCancelsIt() {
        auto window = makeWindow();
        const auto writeFlac = [&](const QString& name) {
            const QString path = m_Dir.filePath(name);
            SF_INFO info{};
            info.samplerate = 48000;
            info.channels = 1;
            info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
            SNDFILE* file = sf_open(path.toLocal8Bit().constData(), SFM_WRITE, &info);
            for (int i = 0; file != nullptr && i < 96000; ++i) {
                const double t = i / 48000.0;
                const double value = 0.3 * std::exp(-t / 0.5) * std::sin(2 * M_PI * 130.0 * t);
                sf_writef_double(file, &value, 1);
            }
            sf_close(file);
            return path;
        };
        m_NextChosenFile = writeFlac("first.flac");
        QSignalSpy analysed(window.get(), &CMainDlg::analysed);
        window->findChild<QPushButton*>("importButton")->click();
        QCOMPARE(analysed.count(), 1);
        QVERIFY(!window->tuner().record().heldSamples.empty());

        m_NextChosenFile = writeFlac("second.flac");
        bool dialogShown = false;
        bool oldSoundGiven = false;
        QTimer::singleShot(0, window.get(), [&] {
            auto* progress = window->findChild<QProgressDialog*>("importProgress");
            dialogShown = progress != nullptr;
            oldSoundGiven = window->tuner().record().heldSamples.empty();
            if (progress != nullptr) progress->cancel();
        });
        window->findChild<QPushButton*>("importButton")->click();
        QVERIFY(dialogShown);
        QVERIFY(oldSoundGiven);
        QCOMPARE(analysed.count(), 1);  // cancelled: nothing loaded, nothing said
        QVERIFY(m_Messages.empty());
        QCOMPARE(window->tuner().mainFrequencyHz(), 0.0);
        window->grab();  // the graphs draw the silence left

        window->findChild<QPushButton*>("importButton")->click();
        QCOMPARE(analysed.count(), 2);
        QVERIFY(std::abs(window->tuner().mainFrequencyHz() - 130.0) < 0.01);
    }

    void commandLineFileIsRememberedLikeAChosenOne() {
        auto window = makeWindow();
        window->openChosenFile(writeTone("given.wav", 120.0));
        QCOMPARE(QString::fromStdString(m_Profile.readString("OPEN", "GetOpenFileName_NAME", "")),
                 QStringLiteral("given.wav"));
        QVERIFY(std::abs(window->tuner().mainFrequencyHz() - 120.0) < 0.1);
    }

    void fileNameThatIsNotUtf8OpensAndIsRememberedByteForByte() {
        auto window = makeWindow();
        const QByteArray folder = QFile::encodeName(m_Dir.path());
        const QByteArray name("ton\xE9.wav");  // Latin-1 "é", not UTF-8
        writeWavBytes(folder + '/' + name, toneSamples(140.0));
        window->openChosenFile(folder + '/' + name);
        QVERIFY2(m_Messages.empty(), qPrintable(m_Messages.empty() ? "" : m_Messages[0].text));
        QVERIFY(std::abs(window->tuner().mainFrequencyHz() - 140.0) < 0.1);
        QCOMPARE(m_Profile.readString("OPEN", "GetOpenFileName_NAME", ""), name.toStdString());
        QCOMPARE(m_Profile.readString("OPEN", "GetOpenFileName_PATH", ""), folder.toStdString());
        // Qt cannot name the file to remove it with the folder.
        std::filesystem::remove((folder + '/' + name).toStdString());
    }
};

}  // namespace tomaro

QTEST_MAIN(tomaro::FileCommandsTest)
#include "FileCommandsTest.moc"
