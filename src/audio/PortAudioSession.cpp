#include "audio/PortAudioSession.h"

#include <portaudio.h>

#include <QCoreApplication>

namespace tomaro {

PortAudioSession::PortAudioSession() : m_Error(Pa_Initialize()) {}

PortAudioSession::~PortAudioSession() {
    if (m_Error == paNoError) Pa_Terminate();
}

QString soundErrorText(const char* callName, int paError) {
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
    return text;
}

}  // namespace tomaro
