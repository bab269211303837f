#include "devices/Player.h"

#include <portaudio.h>

#include <algorithm>
#include <cstring>

#include "audio/ReferenceTone.h"
#include "audio/StrikeRecorder.h"

namespace tomaro {

struct Player::CallbackState {
    std::vector<std::int16_t> samples = std::vector<std::int16_t>(kStrikeLength);
    int count = 0;
    int position = 0;  // PortAudio thread while playing
    const SelfPipeNotifier* finished = nullptr;
};

namespace {

int playbackCallback(const void*, void* output, unsigned long frames,
                     const PaStreamCallbackTimeInfo*, PaStreamCallbackFlags, void* userData) {
    auto* state = static_cast<Player::CallbackState*>(userData);
    auto* out = static_cast<std::int16_t*>(output);
    const int wanted = static_cast<int>(frames);
    const int available = std::max(0, state->count - state->position);
    const int taken = std::min(wanted, available);
    std::memcpy(out, state->samples.data() + state->position, sizeof(std::int16_t) * taken);
    std::fill(out + taken, out + wanted, std::int16_t{0});
    state->position += taken;
    return state->position >= state->count ? paComplete : paContinue;
}

void playbackFinished(void* userData) {
    static_cast<Player::CallbackState*>(userData)->finished->notify('f');
}

}  // namespace

Player::Player(StrikeRecorder& recorder, QObject* parent)
    : QObject(parent), m_Recorder(recorder), m_State(std::make_unique<CallbackState>()) {
    m_State->finished = &m_Finished;
    connect(&m_Finished, &SelfPipeNotifier::notified, this, &Player::drainNotifications);
}

Player::~Player() { closeStream(); }

std::pair<int, int> Player::playedRange(int centreFrame, int frameCount) {
    const int count = std::clamp(frameCount, 0, kStrikeLength);
    const int first = std::clamp(centreFrame - count / 2, 0, frameCount - count);
    return {first, count};
}

std::optional<UserMessage> Player::play(int centreFrame) {
    stop();
    if (!m_Session.ok()) return soundError("waveOutOpen", m_Session.error());
    const StrikeRecord& record = m_Recorder.record();
    // A strike is being recorded: nothing to play.
    if (!m_Recorder.beginPlayback()) return std::nullopt;

    const SampleSource source = record.source();
    const auto [first, count] = playedRange(centreFrame, source.frameCount);
    for (int i = 0; i < count; ++i) m_State->samples[i] = source.at(first + i);
    m_State->count = count;
    m_State->position = 0;
    return startStream(record.sampleRateHz);
}

std::optional<UserMessage> Player::playTone(double frequencyHz) {
    stop();
    if (!m_Session.ok()) return soundError("waveOutOpen", m_Session.error());
    // A strike is being recorded: wait for it.
    if (!m_Recorder.beginPlayback()) return std::nullopt;
    makeReferenceTone(frequencyHz, kCaptureRateHz, m_State->samples);
    m_State->count = static_cast<int>(m_State->samples.size());
    m_State->position = 0;
    return startStream(kCaptureRateHz);
}

std::optional<UserMessage> Player::startStream(double sampleRateHz) {
    PaStream* stream = nullptr;
    PaError result =
        Pa_OpenDefaultStream(&stream, 0, 1, paInt16, sampleRateHz, paFramesPerBufferUnspecified,
                             playbackCallback, m_State.get());
    if (result != paNoError) {
        m_Recorder.endPlayback(0);
        return soundError("waveOutOpen", result);
    }
    Pa_SetStreamFinishedCallback(stream, playbackFinished);
    m_Stream = stream;
    result = Pa_StartStream(stream);
    if (result != paNoError) {
        closeStream();
        return soundError("waveOutWrite", result);
    }
    return std::nullopt;
}

void Player::stop() {
    if (m_Stream == nullptr) return;
    closeStream();
    emit finished();
}

void Player::closeStream() {
    if (m_Stream == nullptr) return;
    auto* stream = static_cast<PaStream*>(m_Stream);
    m_Stream = nullptr;
    Pa_AbortStream(stream);
    Pa_CloseStream(stream);
    m_Recorder.endPlayback();
    // Drop the finish notice of this stream: it has been handled here.
    m_Finished.drain();
}

void Player::drainNotifications() {
    const bool finishedNow = m_Finished.drain().any();
    if (finishedNow && m_Stream != nullptr) {
        closeStream();
        emit finished();
    }
}

}  // namespace tomaro
