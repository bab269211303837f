#include "audio/PortAudioSession.h"

#include <portaudio.h>

namespace tomaro {

PortAudioSession::PortAudioSession() : m_Error(Pa_Initialize()) {}

PortAudioSession::~PortAudioSession() {
    if (m_Error == paNoError) Pa_Terminate();
}

QString soundErrorText(const char* callName, int paError) {
    QString text = QString::fromUtf8(callName) + QStringLiteral(" ОШИБКА: \n") +
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
