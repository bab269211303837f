#include "gui/StepPump.h"

#include "tuning/Tuner.h"

namespace tomaro {

StepPump::StepPump(Tuner& tuner, QObject* parent) : QObject(parent), m_Tuner(tuner) {}

void StepPump::schedule() {
    if (m_Scheduled) return;
    m_Scheduled = true;
    QMetaObject::invokeMethod(this, &StepPump::step, Qt::QueuedConnection);
}

void StepPump::step() {
    m_Scheduled = false;
    const PaintStep result = m_Tuner.paintStep();
    emit stepped(QString::fromStdString(result.caption));
    if (result.analysed) {
        emit analysed();
        schedule();
    } else if (!m_Tuner.recorder().recording()) {
        emit unchanged();
    }
}

}  // namespace tomaro
