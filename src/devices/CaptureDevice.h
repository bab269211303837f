#pragma once

#include <QObject>
#include <QStringList>
#include <atomic>
#include <memory>
#include <optional>

#include "base/UserMessage.h"
#include "devices/PortAudioSession.h"
#include "devices/SelfPipeNotifier.h"

namespace tomaro {

class StrikeRecorder;

// The sound card as the strike recorder's source: 2 channels, 16-bit, 48000 Hz, periods of 1200
// frames. PortAudio calls back on its own thread; the callback runs the recorder's buffer
// processing there (no allocation, no lock) and wakes the user-interface thread through a
// non-blocking pipe, which a socket notifier turns into the signals below.
//
// The device list the window shows is: entry 0 "no device", entries 1..n the input devices of
// inputDeviceNames(), entry n + 1 "WAVE MAPPER" (the system's default input).
// User-interface thread only, except the callback.
class CaptureDevice : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kMapperName = "WAVE MAPPER";

    explicit CaptureDevice(StrikeRecorder& recorder, QObject* parent = nullptr);
    ~CaptureDevice() override;

    // Names of the input devices, in the order of the list entries 1..n.
    QStringList inputDeviceNames() const;

    // Opens list entry `entry` (closing any open device first). Entry 0 only closes. Returns
    // nothing on success, else the failure (soundError()).
    std::optional<UserMessage> open(int entry);
    // Stops and closes the device; buffers that arrive afterwards are ignored. Never waits for
    // the device. Returns nothing or the failure.
    std::optional<UserMessage> close();
    bool isOpen() const { return m_Stream != nullptr; }
    // Channels of the open device: 2, or 1 for a mono device.
    int channels() const { return m_Channels; }
    // What the PortAudio thread sees; defined with the callback.
    struct CallbackState;

signals:
    void bufferProcessed();  // after every capture buffer: the level changed
    void strikeProgress();   // samples were recorded into the strike: repaint
    // The stream ended by itself (an unplugged device): the failure, as open() gives it.
    void deviceLost(const tomaro::UserMessage& message);

private:
    void drainNotifications();

    StrikeRecorder& m_Recorder;
    PortAudioSession m_Session;
    void* m_Stream = nullptr;
    int m_Channels = 2;
    std::unique_ptr<CallbackState> m_State;
    // The PortAudio thread's notices: a buffer processed, samples recorded, the stream lost.
    SelfPipeNotifier m_Notices;
};

}  // namespace tomaro
