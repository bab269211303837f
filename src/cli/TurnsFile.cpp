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

}  // namespace

bool TurnsFile::load() {
    m_Usable = false;
    m_Model = TurnModel();
    std::ifstream in(m_Path, std::ios::binary);
    if (!in) {
        if (errno == ENOENT) {
            m_Usable = true;  // a fresh head: the file is made after the pass
            return true;
        }
        m_Error = m_Path + ": cannot read the turns file: " + std::strerror(errno);
        return false;
    }
    std::ostringstream text;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size < 0 || size > kMaxFileBytes) {
        m_Error = m_Path + ": not a turns file (too large): left as it is";
        return false;
    }
    text << in.rdbuf();
    if (in.bad()) {
        m_Error = m_Path + ": cannot read the turns file";
        return false;
    }
    std::string reason;
    if (!m_Model.restoreState(text.str(), reason)) {
        m_Error = m_Path + ": damaged turns file, " + reason + ": left as it is, no turns used";
        return false;
    }
    m_Usable = true;
    return true;
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

bool TurnsFile::save() {
    if (!m_Usable) {
        m_Error = m_Path + ": not written (it could not be read)";
        return false;
    }
    const std::string temporary = m_Path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << m_Model.stateText();
        out.flush();
        if (!out) {
            m_Error = m_Path + ": cannot write the turns file: " + std::strerror(errno);
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), m_Path.c_str()) != 0) {
        m_Error = m_Path + ": cannot write the turns file: " + std::strerror(errno);
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace tomaro
