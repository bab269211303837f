#pragma once

#include <optional>
#include <string>
#include <utility>

#include "base/UserMessage.h"
#include "tuning/TurnModel.h"

namespace tomaro {

class LugSession;

// The --turns file of tomaro-analyze --lugs: one head's turns of the key kept between runs
// (TurnModel::stateText(): the calibrations and a pending mark). A run reads it, lets the pass
// calibrate the marked rod and mark the next turn (--turned), and writes it back. A file that
// cannot be read or is damaged is said so and never written over: the run goes on without turns,
// and what the file held stays for the drummer to look at. Core code, one thread.
class TurnsFile {
public:
    explicit TurnsFile(std::string path) : m_Path(std::move(path)) {}

    // Reads the file; a missing file is a fresh head. Returns nothing when the file can be used,
    // else the reason (English): the model is then fresh and save() refuses to write.
    std::optional<UserMessage> load();
    bool usable() const { return m_Usable; }
    const std::string& path() const { return m_Path; }

    // After a pass over the head: the marked rod's new reading calibrates, then `turned` (rod,
    // eighths) marks the turn about to be made. A mark on a rod this pass did not read (or on a
    // head with fewer than three rods read) is refused: markRefused().
    void pass(const LugSession& lugs, std::optional<std::pair<int, int>> turned);
    bool calibratedNow() const { return m_CalibratedNow; }
    bool markRefused() const { return m_MarkRefused; }

    // Writes the model through a temporary file renamed over FILE, so that a failed write leaves
    // the old file whole. Returns nothing when it was written, else the reason.
    std::optional<UserMessage> save();

    const TurnModel& model() const { return m_Model; }

private:
    std::string m_Path;
    TurnModel m_Model;
    bool m_Usable = false;
    bool m_CalibratedNow = false;
    bool m_MarkRefused = false;
};

}  // namespace tomaro
