#include "cli/TurnsFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "tuning/LugSession.h"

namespace tomaro {

namespace {

// A turns file is a few lines; anything far larger is not one.
constexpr std::streamoff kMaxFileBytes = 64 * 1024;

// Only tomaro-analyze has a turns file: no window shows its problems, so they have no caption.
UserMessage problem(std::string text) {
    return UserMessage{std::move(text), {}, UserMessage::Severity::Error};
}

}  // namespace

std::optional<UserMessage> TurnsFile::load() {
    m_Usable = false;
    m_Model = TurnModel();
    std::ifstream in(m_Path, std::ios::binary);
    if (!in) {
        if (errno == ENOENT) {
            m_Usable = true;  // a fresh head: the file is made after the pass
            return std::nullopt;
        }
        return problem(m_Path + ": cannot read the turns file: " + std::strerror(errno));
    }
    std::ostringstream text;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size < 0 || size > kMaxFileBytes) {
        return problem(m_Path + ": not a turns file (too large): left as it is");
    }
    text << in.rdbuf();
    if (in.bad()) {
        return problem(m_Path + ": cannot read the turns file");
    }
    if (const std::optional<UserMessage> damage = m_Model.restoreState(text.str())) {
        return problem(m_Path + ": damaged turns file, " + damage->text +
                       ": left as it is, no turns used");
    }
    m_Usable = true;
    return std::nullopt;
}

void TurnsFile::pass(const LugSession& lugs, std::optional<std::pair<int, int>> turned) {
    m_CalibratedNow = false;
    m_MarkRefused = false;
    if (!m_Usable) return;
    if (m_Model.pending()) {
        const int lug = m_Model.pendingLug();
        m_CalibratedNow = m_Model.tapped(lug, lugs.count(), lugs.head(), lugs.readingHz(lug));
    }
    if (turned) {
        const auto [lug, eighths] = *turned;
        m_MarkRefused =
            !m_Model.markTurn(lug, lugs.count(), lugs.head(), lugs.readingHz(lug), eighths);
    }
}

std::optional<UserMessage> TurnsFile::save() {
    if (!m_Usable) return problem(m_Path + ": not written (it could not be read)");
    const std::string temporary = m_Path + ".tmp";
    // The reason is taken before the temporary file goes, which may set errno again.
    const auto cannotWrite = [&] {
        UserMessage reason =
            problem(m_Path + ": cannot write the turns file: " + std::strerror(errno));
        std::remove(temporary.c_str());
        return reason;
    };
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << m_Model.stateText();
        out.flush();
        if (!out) return cannotWrite();
    }
    if (std::rename(temporary.c_str(), m_Path.c_str()) != 0) return cannotWrite();
    return std::nullopt;
}

}  // namespace tomaro
