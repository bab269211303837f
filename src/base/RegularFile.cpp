#include "base/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace tomaro {

RegularFile RegularFile::open(const char* path, Access access) {
    RegularFile file;
    const int fd = access == Access::Read
                       ? ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK)
                       : ::open(path, O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
        file.m_Failure = errno == ENOENT ? Failure::Missing : Failure::CannotOpen;
        return file;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        file.m_Failure = Failure::NotRegular;
        return file;
    }
    file.m_Fd = fd;
    file.m_SizeBytes = static_cast<std::int64_t>(info.st_size);
    return file;
}

RegularFile::RegularFile(RegularFile&& other) noexcept
    : m_Fd(std::exchange(other.m_Fd, -1)),
      m_SizeBytes(std::exchange(other.m_SizeBytes, 0)),
      m_Failure(other.m_Failure) {}

RegularFile& RegularFile::operator=(RegularFile&& other) noexcept {
    if (this != &other) {
        close();
        m_Fd = std::exchange(other.m_Fd, -1);
        m_SizeBytes = std::exchange(other.m_SizeBytes, 0);
        m_Failure = other.m_Failure;
    }
    return *this;
}

RegularFile::~RegularFile() { close(); }

int RegularFile::release() {
    m_SizeBytes = 0;
    return std::exchange(m_Fd, -1);
}

void RegularFile::close() {
    if (m_Fd >= 0) ::close(m_Fd);
    m_Fd = -1;
    m_SizeBytes = 0;
}

}  // namespace tomaro
