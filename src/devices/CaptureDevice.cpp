#include "devices/CaptureDevice.h"

#include <portaudio.h>

#include <algorithm>

#include "audio/StrikeRecorder.h"

namespace tomaro {
namespace {

constexpr const char* kOpeningDevice =
    QT_TRANSLATE_NOOP("tomaro::PortAudio", "открытие устройства");

constexpr char kBufferByte = 'b';    // a buffer was processed
constexpr char kRecordedByte = 'r';  // ... and samples were recorded
constexpr char kLostByte = 'x';      // the stream ended by itself

}  // namespace

// Shared with the PortAudio thread. Everything is set before the stream starts; `active` turns
// false before the stream is stopped, so late callbacks do nothing.
struct CaptureDevice::CallbackState {
    StrikeRecorder* recorder = nullptr;
    std::atomic<bool> active{false};
    int channels = 2;
    const SelfPipeNotifier* notices = nullptr;

    void notify(char byte) const { notices->notify(byte); }
};

namespace {

int captureCallback(const void* input, void*, unsigned long frames, const PaStreamCallbackTimeInfo*,
                    PaStreamCallbackFlags, void* userData) {
    auto* state = static_cast<CaptureDevice::CallbackState*>(userData);
    if (!state->active.load(std::memory_order_acquire) || input == nullptr) return paContinue;
    const auto* samples = static_cast<const std::int16_t*>(input);
    const int frameCount = static_cast<int>(std::min<unsigned long>(frames, kCaptureBufferFrames));
    const bool recorded = state->recorder->bufferDone(samples, frameCount, state->channels);
    // The user-interface thread wakes for recorded samples and for a new input level only, so
    // that listening to silence costs a wake-up per 125 ms.
    if (recorded) {
        state->notify(kRecordedByte);
    } else if (state->recorder->levelPublished()) {
        state->notify(kBufferByte);
    }
    return paContinue;
}

void captureFinished(void* userData) {
    auto* state = static_cast<CaptureDevice::CallbackState*>(userData);
    if (state->active.load(std::memory_order_acquire)) state->notify(kLostByte);
}

}  // namespace

CaptureDevice::CaptureDevice(StrikeRecorder& recorder, QObject* parent)
    : QObject(parent), m_Recorder(recorder), m_State(std::make_unique<CallbackState>()) {
    m_State->recorder = &recorder;
    m_State->notices = &m_Notices;
    connect(&m_Notices, &SelfPipeNotifier::notified, this, &CaptureDevice::drainNotifications);
}

CaptureDevice::~CaptureDevice() { close(); }

QStringList CaptureDevice::inputDeviceNames() const {
    QStringList names;
    if (!m_Session.ok()) return names;
    const int count = Pa_GetDeviceCount();
    for (int i = 0; i < count; ++i) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
        if (info != nullptr && info->maxInputChannels > 0) names << QString::fromUtf8(info->name);
    }
    return names;
}

std::optional<UserMessage> CaptureDevice::open(int entry) {
    std::optional<UserMessage> closeError = close();
    // Notices of the closed stream (a loss among them) must not reach the new one.
    m_Notices.drain();
    if (entry <= 0) return closeError;
    if (!m_Session.ok()) return soundError(kOpeningDevice, m_Session.error());

    // Entry n + 1 is the default input; entries 1..n are the input devices in list order.
    PaDeviceIndex device = paNoDevice;
    int inputIndex = 0;
    const int count = Pa_GetDeviceCount();
    for (int i = 0; i < count && device == paNoDevice; ++i) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
        if (info != nullptr && info->maxInputChannels > 0 && ++inputIndex == entry) device = i;
    }
    if (device == paNoDevice) device = Pa_GetDefaultInputDevice();
    if (device == paNoDevice) return soundError(kOpeningDevice, paDeviceUnavailable);

    const PaDeviceInfo* info = Pa_GetDeviceInfo(device);
    PaStreamParameters parameters{};
    parameters.device = device;
    parameters.channelCount = info != nullptr && info->maxInputChannels == 1 ? 1 : 2;
    parameters.sampleFormat = paInt16;
    parameters.suggestedLatency = info != nullptr ? info->defaultLowInputLatency : 0.05;
    PaError result = Pa_IsFormatSupported(&parameters, nullptr, kCaptureRateHz);
    if (result != paFormatIsSupported) return soundError(kOpeningDevice, result);

    m_Channels = parameters.channelCount;
    m_State->channels = m_Channels;
    m_State->active.store(true, std::memory_order_release);
    PaStream* stream = nullptr;
    result = Pa_OpenStream(&stream, &parameters, nullptr, kCaptureRateHz,
                           kCaptureDevicePeriodFrames, paClipOff, captureCallback, m_State.get());
    if (result != paNoError) {
        m_State->active.store(false, std::memory_order_release);
        return soundError(kOpeningDevice, result);
    }
    Pa_SetStreamFinishedCallback(stream, captureFinished);
    m_Stream = stream;
    m_Recorder.setLevelBlockFrames(kCaptureBufferFrames);
    m_Recorder.deviceOpened();
    result = Pa_StartStream(stream);
    if (result != paNoError) {
        UserMessage failure = soundError("waveInStart", result);
        close();
        return failure;
    }
    return closeError;
}

std::optional<UserMessage> CaptureDevice::close() {
    if (m_Stream == nullptr) return std::nullopt;
    // The stream is taken and the callbacks disarmed first, so that buffers arriving while it
    // stops are ignored. Aborting does not wait for the device, which may have stopped delivering.
    auto* stream = static_cast<PaStream*>(m_Stream);
    m_Stream = nullptr;
    m_State->active.store(false, std::memory_order_release);
    std::optional<UserMessage> error;
    PaError result = Pa_AbortStream(stream);
    if (result != paNoError && result != paStreamIsStopped) {
        error = soundError("waveInReset", result);
    }
    result = Pa_CloseStream(stream);
    if (result != paNoError && !error) error = soundError("waveInClose", result);
    m_Recorder.deviceClosed();
    return error;
}

void CaptureDevice::drainNotifications() {
    const SelfPipeNotifier::Notices notices = m_Notices.drain();
    const bool buffer = notices.any();
    const bool recorded = notices.contains(kRecordedByte);
    const bool lost = notices.contains(kLostByte);
    if (recorded) emit strikeProgress();
    if (buffer) emit bufferProcessed();
    if (lost && m_Stream != nullptr) {
        close();
        emit deviceLost(soundError("waveInAddBuffer", paDeviceUnavailable));
    }
}

}  // namespace tomaro
