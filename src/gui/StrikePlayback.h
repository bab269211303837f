#pragma once

#include <QObject>
#include <memory>

#include "base/UserMessage.h"

class QPushButton;

namespace tomaro {

class Player;
class Tuner;

// "▶ Прослушать" and "■ Стоп": plays one second around the analysed stretch of the strike through
// the player it owns (the window "Настройка" plays its reference tone through it too), and keeps
// the two buttons right: play only with a strike that is not being recorded while nothing plays,
// stop only while playing. The buttons must outlive it. User-interface thread only.
class StrikePlayback : public QObject {
    Q_OBJECT

public:
    StrikePlayback(Tuner& tuner, QPushButton& playButton, QPushButton& stopButton,
                   QObject* parent = nullptr);
    ~StrikePlayback() override;

    Player& player() { return *m_Player; }
    void play();
    void stop();
    // After anything that may have changed the strike or the recording.
    void updateButtons();

signals:
    // Playing failed, as the player said it.
    void soundError(const tomaro::UserMessage& message);

private:
    Tuner& m_Tuner;
    std::unique_ptr<Player> m_Player;
    QPushButton& m_PlayButton;
    QPushButton& m_StopButton;
};

}  // namespace tomaro
