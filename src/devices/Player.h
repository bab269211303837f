#pragma once

#include <QObject>
#include <atomic>
#include <memory>
#include <optional>
#include <vector>

#include "audio/StrikeRecord.h"
#include "devices/PortAudioSession.h"
#include "devices/SelfPipeNotifier.h"

namespace tomaro {

class StrikeRecorder;

// Plays the strike back: mono 16-bit at the strike's sample rate on the default output, 48000
// samples centred on the analysed stretch. While it plays the recorder starts no strike. The
// samples are copied before the stream starts, so the PortAudio thread reads only its own buffer.
// User-interface thread only, except the callback.
class Player : public QObject {
    Q_OBJECT
public:
    explicit Player(StrikeRecorder& recorder, QObject* parent = nullptr);
    ~Player() override;

    // Starts playback of the samples around `centreFrame` of the recorder's strike. Returns
    // nothing on success (or while a strike is being recorded: then nothing plays), else the
    // failure (soundError()).
    std::optional<UserMessage> play(int centreFrame);
    // Plays the reference tone (makeReferenceTone) at `frequencyHz` for one second at 48000 Hz
    // on the same path: the trigger is blocked while it plays. Same return as play().
    std::optional<UserMessage> playTone(double frequencyHz);
    // Stops at once; finished() follows.
    void stop();
    bool isPlaying() const { return m_Stream != nullptr; }

    // The first frame and the number of frames played for a strike of `frameCount` frames.
    static std::pair<int, int> playedRange(int centreFrame, int frameCount);

    struct CallbackState;

signals:
    void finished();  // playback ended (or was stopped); the play buttons come back

private:
    std::optional<UserMessage> startStream(double sampleRateHz);
    void drainNotifications();
    void closeStream();

    StrikeRecorder& m_Recorder;
    PortAudioSession m_Session;
    void* m_Stream = nullptr;
    std::unique_ptr<CallbackState> m_State;
    // The PortAudio thread's notice that playback finished.
    SelfPipeNotifier m_Finished;
};

}  // namespace tomaro
