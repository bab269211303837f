#include "gui/StrikePlayback.h"

#include <QPushButton>

#include "devices/Player.h"
#include "tuning/Tuner.h"

namespace tomaro {

StrikePlayback::StrikePlayback(Tuner& tuner, QPushButton& playButton, QPushButton& stopButton,
                               QObject* parent)
    : QObject(parent),
      m_Tuner(tuner),
      m_Player(std::make_unique<Player>(tuner.recorder())),
      m_PlayButton(playButton),
      m_StopButton(stopButton) {
    connect(&m_PlayButton, &QPushButton::clicked, this, &StrikePlayback::play);
    connect(&m_StopButton, &QPushButton::clicked, m_Player.get(), &Player::stop);
    connect(m_Player.get(), &Player::finished, this, [this] {
        updateButtons();
        m_StopButton.setEnabled(false);
    });
}

StrikePlayback::~StrikePlayback() = default;

void StrikePlayback::play() {
    const Stretch& stretch = m_Tuner.stretch();
    if (const std::optional<UserMessage> error =
            m_Player->play((stretch.start() + stretch.end()) / 2)) {
        emit soundError(*error);
        return;
    }
    if (m_Player->isPlaying()) {
        m_PlayButton.setEnabled(false);
        m_StopButton.setEnabled(true);
    }
}

void StrikePlayback::stop() { m_Player->stop(); }

void StrikePlayback::updateButtons() {
    // Nothing to play before the first strike, and a strike being recorded is not stable yet.
    m_PlayButton.setEnabled(m_Tuner.hasStrike() && !m_Tuner.recorder().recording() &&
                            !m_Player->isPlaying());
}

}  // namespace tomaro
