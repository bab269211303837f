#pragma once

#include <QString>

namespace tomaro {

// Keeps PortAudio initialised while any user of it lives (capture device, player).
class PortAudioSession {
public:
    PortAudioSession();
    ~PortAudioSession();
    PortAudioSession(const PortAudioSession&) = delete;
    PortAudioSession& operator=(const PortAudioSession&) = delete;

    bool ok() const { return m_Error == 0; }
    int error() const { return m_Error; }

private:
    int m_Error = 0;
};

// The text of a failing sound-device call for the "wave ошибка" box: the call's name,
// " ОШИБКА: ", a line break, and PortAudio's text for the error (with the host's text when the
// host API reported one).
QString soundErrorText(const char* callName, int paError);

}  // namespace tomaro
