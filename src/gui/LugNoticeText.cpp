#include "gui/LugNoticeText.h"

#include "gui/TuningWindow.h"
#include "tuning/ReadoutText.h"
#include "tuning/Tuner.h"
#include "widgets/QtText.h"

namespace tomaro {
namespace {

QString hertz(double hz) { return toQString(readout::numberText(hz)) + TuningWindow::tr(" Гц"); }

}  // namespace

QString lugNoticeText(const Tuner& tuner) {
    const LugTuning& lugTuning = tuner.lugTuning();
    const LugSession& lugs = lugTuning.session();
    switch (lugTuning.problem()) {
        case LugTuning::Problem::TargetOutsideSearch:
            return TuningWindow::tr(
                       "Цель пластика %1 вне диапазона поиска по винтам (%2–%3 Гц): она не "
                       "используется")
                .arg(hertz(lugTuning.kitTargetHz()))
                .arg(lugs.searchRange().loHz)
                .arg(lugs.searchRange().hiHz);
        case LugTuning::Problem::SearchBeyondRate:
            return TuningWindow::tr(
                       "Диапазон поиска по винтам (до %1 Гц) выше половины частоты "
                       "дискретизации: удар не прочитан")
                .arg(lugs.searchRange().hiHz);
        case LugTuning::Problem::None:
            break;
    }
    if (lugTuning.centreStrikePending()) return TuningWindow::tr("Ударьте в центр пластика");
    if (!lugTuning.tapsEnabled()) return TuningWindow::tr("Окно не активно: удары не идут винтам");
    // Most taps since the centre strike had no tone in the band it placed: it stays until the
    // next centre strike, since the taps say the band is wrong, not the rod.
    if (!lugs.bandConfirmed()) {
        return TuningWindow::tr(
            "Полоса удара в центр не подтверждается винтами — ударьте в центр ещё раз");
    }
    const int rod = lugTuning.noticeRod();
    switch (lugTuning.notice()) {
        case LugTuning::Notice::NoToneInBand:
            return TuningWindow::tr("винт %1: нет тона в полосе винта").arg(rod);
        case LugTuning::Notice::OtherFamily:
            return TuningWindow::tr("винт %1: другая мода — ударьте ещё раз").arg(rod);
        case LugTuning::Notice::TooQuiet:
            return TuningWindow::tr("винт %1: слишком тихо").arg(rod);
        case LugTuning::Notice::Rejected:
            return TuningWindow::tr("винт %1: удар отклонён — ударьте ещё раз").arg(rod);
        case LugTuning::Notice::CentreTaken:
            return TuningWindow::tr("Удар в центр: полоса винтов %1–%2 Гц")
                .arg(lugs.band().loHz, 0, 'f', 0)
                .arg(lugs.band().hiHz, 0, 'f', 0);
        case LugTuning::Notice::CentreDisagrees:
            return TuningWindow::tr("Удар в центр не сходится с винтами: полоса остаётся %1–%2 Гц")
                .arg(lugs.band().loHz, 0, 'f', 0)
                .arg(lugs.band().hiHz, 0, 'f', 0);
        case LugTuning::Notice::Taken:
            if (lugs.disagrees(rod))
                return TuningWindow::tr(
                           "винт %1: не сходится с картиной пластика — "
                           "ударьте ещё раз")
                    .arg(rod);
            break;
        case LugTuning::Notice::None:
            break;
    }
    // The head as a whole, once every rod is read: a split whose axis the rods do not show is
    // tapped again rather than guessed; advice made smaller after a pass that made the head worse
    // says why.
    const HeadFit& head = lugs.head();
    if (lugs.measuredCount() == lugs.count() && head.splitResolved && !head.axisKnown) {
        return TuningWindow::tr("Ось расщепления не видна по винтам — ударьте ещё раз по кругу");
    }
    if (lugs.response().reduced()) {
        return TuningWindow::tr("Прошлый проход ухудшил пластик: советы уменьшены вдвое");
    }
    return {};
}

}  // namespace tomaro
