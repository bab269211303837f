#include "devices/SelfPipeNotifier.h"

#include <fcntl.h>
#include <unistd.h>

namespace tomaro {

SelfPipeNotifier::SelfPipeNotifier(QObject* parent) : QObject(parent) {
    int ends[2] = {-1, -1};
    if (::pipe2(ends, O_NONBLOCK | O_CLOEXEC) != 0) return;
    m_ReadFd = ends[0];
    m_WriteFd = ends[1];
    m_Notifier = std::make_unique<QSocketNotifier>(m_ReadFd, QSocketNotifier::Read);
    connect(m_Notifier.get(), &QSocketNotifier::activated, this, &SelfPipeNotifier::notified);
}

SelfPipeNotifier::~SelfPipeNotifier() {
    m_Notifier.reset();
    for (int fd : {m_ReadFd, m_WriteFd}) {
        if (fd >= 0) ::close(fd);
    }
}

void SelfPipeNotifier::notify(char byte) const noexcept {
    if (m_WriteFd < 0) return;
    [[maybe_unused]] const ssize_t written = ::write(m_WriteFd, &byte, 1);
}

SelfPipeNotifier::Notices SelfPipeNotifier::drain() {
    Notices notices;
    if (m_ReadFd < 0) return notices;
    unsigned char bytes[256];
    for (;;) {
        const ssize_t count = ::read(m_ReadFd, bytes, sizeof bytes);
        if (count <= 0) break;
        for (ssize_t i = 0; i < count; ++i) notices.m_Seen.set(bytes[i]);
    }
    return notices;
}

}  // namespace tomaro
