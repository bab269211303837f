#pragma once

#include "base/UserMessage.h"

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

// A failing sound-device call as the message for the user: caption "wave ошибка" (the main
// window's text), an error, and the text: the call's name, " ОШИБКА: ", a line break, and
// PortAudio's text for the error (with the host's text when the host API reported one).
UserMessage soundError(const char* callName, int paError);

}  // namespace tomaro
