#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "audio/MappedFile.h"

namespace tomaro {

std::unique_ptr<MappedFile> MappedFile::open(const std::string& path, Error& error) {
    error = Error::None;
    // Non-blocking, so that a named pipe given as a file cannot hang the open; regular files are
    // not affected by it.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        error = Error::Open;
        return nullptr;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        error = Error::Open;
        return nullptr;
    }
    std::unique_ptr<MappedFile> file(new MappedFile);
    file->m_Fd = fd;
    file->m_Size = static_cast<std::size_t>(info.st_size);
    if (file->m_Size > 0) {
        void* view = ::mmap(nullptr, file->m_Size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (view == MAP_FAILED) {
            error = Error::Map;
            return nullptr;  // the destructor closes the file
        }
        // A mapped WAV file is read in small pieces at scattered places (the analysed stretch,
        // the runs the signal overview samples), never streamed: without this advice the kernel
        // reads 128 KB around every page touched, and sampling a file of hours reads most of it.
        ::madvise(view, file->m_Size, MADV_RANDOM);
        file->m_Data = static_cast<const unsigned char*>(view);
    }
    return file;
}

std::size_t MappedFile::bytesStillInFile() const {
    struct stat info {};
    if (::fstat(m_Fd, &info) != 0) return 0;
    const auto now = static_cast<std::size_t>(info.st_size);
    return now < m_Size ? now : m_Size;
}

MappedFile::~MappedFile() {
    if (m_Data != nullptr) ::munmap(const_cast<unsigned char*>(m_Data), m_Size);
    if (m_Fd >= 0) ::close(m_Fd);
}

}  // namespace tomaro
