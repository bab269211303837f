#pragma once

#include <QObject>
#include <QString>

namespace tomaro {

class Tuner;

// Steps the Tuner's strike state machine (Tuner::paintStep()) on the user-interface thread: at
// once with step(), or once soon with schedule(), however often that is asked before the step
// runs. Every step says the caption it leaves; then a step that analysed a strike or file says so
// and schedules the next step (which brings the caption back to waiting with the new frequency),
// and a step that analysed nothing while no strike is being recorded says that the graphs may be
// repainted. User-interface thread only.
class StepPump : public QObject {
    Q_OBJECT

public:
    explicit StepPump(Tuner& tuner, QObject* parent = nullptr);

    void step();
    void schedule();

signals:
    void stepped(const QString& caption);
    void analysed();
    // While a strike is being recorded the graphs show the previous one (or its early reading)
    // unchanged: no repaint for every 25 ms of capture, so this is not said then.
    void unchanged();

private:
    Tuner& m_Tuner;
    bool m_Scheduled = false;
};

}  // namespace tomaro
