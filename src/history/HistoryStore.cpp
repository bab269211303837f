#include "history/HistoryStore.h"

#include <utility>

#include "history/HistoryConnection.h"

// The store's life and its messages; opening is in HistoryOpen.cpp, the readings in
// HistoryReadings.cpp, the snapshots in HistorySnapshots.cpp.
namespace tomaro::history {

HistoryStore::HistoryStore(std::string path, Mode mode)
    : m_Path(std::move(path)), m_Mode(mode), m_Connection(std::make_unique<HistoryConnection>()) {
    open();
}

HistoryStore::~HistoryStore() = default;

bool HistoryStore::isOpen() const { return m_Connection->db() != nullptr; }

std::optional<UserMessage> HistoryStore::takeMessage() { return std::exchange(m_Message, {}); }

void HistoryStore::reportOnce(Failure kind, const std::string& message) const {
    const unsigned bit = static_cast<unsigned>(kind);
    if (m_Reported & bit) return;
    m_Reported |= bit;
    m_Message =
        message.empty()
            ? std::nullopt
            : std::optional(UserMessage{message, kProgramCaption, UserMessage::Severity::Warning});
}

}  // namespace tomaro::history
