#include "devices/PortAudioSession.h"

#include <fcntl.h>
#include <portaudio.h>
#include <unistd.h>

#include <QCoreApplication>
#include <cstdlib>

namespace tomaro {
namespace {

// PortAudio's ALSA and JACK back-ends report on standard error every configured device they probe
// and cannot open (dozens of lines on a machine without a sound card or a JACK server); none of it
// is an error of Tomaro's, and it buries the program's own messages. Standard error is silenced
// while PortAudio starts; TOMARO_SOUND_DEBUG=1 keeps it.
int initialiseQuietly() {
    const char* debug = std::getenv("TOMARO_SOUND_DEBUG");
    if (debug != nullptr && debug[0] == '1') return Pa_Initialize();
    const int savedError = ::dup(STDERR_FILENO);
    const int nullDevice = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    const bool silenced =
        savedError >= 0 && nullDevice >= 0 && ::dup2(nullDevice, STDERR_FILENO) >= 0;
    const int result = Pa_Initialize();
    if (silenced) ::dup2(savedError, STDERR_FILENO);
    if (nullDevice >= 0) ::close(nullDevice);
    if (savedError >= 0) ::close(savedError);
    return result;
}

}  // namespace

PortAudioSession::PortAudioSession() : m_Error(initialiseQuietly()) {}

PortAudioSession::~PortAudioSession() {
    if (m_Error == paNoError) Pa_Terminate();
}

UserMessage soundError(const char* callName, int paError) {
    // The call names are marked for translation in this context where they are given.
    QString text = QCoreApplication::translate("tomaro::PortAudio", callName) +
                   QCoreApplication::translate("tomaro::PortAudio", " ОШИБКА: \n") +
                   QString::fromUtf8(Pa_GetErrorText(paError));
    if (paError == paUnanticipatedHostError) {
        const PaHostErrorInfo* host = Pa_GetLastHostErrorInfo();
        if (host != nullptr && host->errorText != nullptr && host->errorText[0] != '\0') {
            text += QStringLiteral(": ") + QString::fromUtf8(host->errorText);
        }
    }
    // The caption keeps the context the main window has always given it.
    return UserMessage{text.toStdString(),
                       QCoreApplication::translate("tomaro::CMainDlg", "wave ошибка").toStdString(),
                       UserMessage::Severity::Error};
}

}  // namespace tomaro
