#include "app/LugNoticeText.h"

#include "app/Tuner.h"
#include "app/TuningWindow.h"
#include "display/ReadoutText.h"

namespace tomaro {
namespace {

QString hertz(double hz) {
    return QString::fromStdString(readout::numberText(hz)) + TuningWindow::tr(" Гц");
}

}  // namespace

QString lugNoticeText(const Tuner& tuner) {
    const LugSession& lugs = tuner.lugs();
    switch (tuner.lugProblem()) {
        case Tuner::LugProblem::TargetOutsideSearch:
            return TuningWindow::tr(
                       "Цель пластика %1 вне диапазона поиска по винтам (%2–%3 Гц): она не "
                       "используется")
                .arg(hertz(tuner.lugKitTargetHz()))
                .arg(lugs.searchRange().loHz)
                .arg(lugs.searchRange().hiHz);
        case Tuner::LugProblem::SearchBeyondRate:
            return TuningWindow::tr(
                       "Диапазон поиска по винтам (до %1 Гц) выше половины частоты "
                       "дискретизации: удар не прочитан")
                .arg(lugs.searchRange().hiHz);
        case Tuner::LugProblem::None:
            break;
    }
    if (tuner.centreStrikePending()) return TuningWindow::tr("Ударьте в центр пластика");
    if (!tuner.lugTapsEnabled()) return TuningWindow::tr("Окно не активно: удары не идут винтам");
    const int rod = tuner.lugNoticeRod();
    switch (tuner.lugNotice()) {
        case Tuner::LugNotice::NoToneInBand:
            return TuningWindow::tr("винт %1: нет тона в полосе винта").arg(rod);
        case Tuner::LugNotice::OtherFamily:
            return TuningWindow::tr("винт %1: другая мода — ударьте ещё раз").arg(rod);
        case Tuner::LugNotice::TooQuiet:
            return TuningWindow::tr("винт %1: слишком тихо").arg(rod);
        case Tuner::LugNotice::Rejected:
            return TuningWindow::tr("винт %1: удар отклонён — ударьте ещё раз").arg(rod);
        case Tuner::LugNotice::CentreTaken:
            return TuningWindow::tr("Удар в центр: полоса винтов %1–%2 Гц")
                .arg(lugs.band().loHz, 0, 'f', 0)
                .arg(lugs.band().hiHz, 0, 'f', 0);
        case Tuner::LugNotice::CentreDisagrees:
            return TuningWindow::tr("Удар в центр не сходится с винтами: полоса остаётся %1–%2 Гц")
                .arg(lugs.band().loHz, 0, 'f', 0)
                .arg(lugs.band().hiHz, 0, 'f', 0);
        case Tuner::LugNotice::Taken:
            if (lugs.disagrees(rod))
                return TuningWindow::tr(
                           "винт %1: не сходится с картиной пластика — "
                           "ударьте ещё раз")
                    .arg(rod);
            break;
        case Tuner::LugNotice::None:
            break;
    }
    return {};
}

}  // namespace tomaro
