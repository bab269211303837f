#pragma once

#include <cstdint>

namespace tomaro {

// A file opened only when it is a regular file, and without blocking at the open: a named pipe
// with no process at its other end would hold a plain open forever, and a pipe or a device such
// as /dev/zero given as a file would never end or never begin, so a folder, a pipe, a socket or a
// device is refused. The descriptor is close-on-exec and keeps O_NONBLOCK, which changes nothing
// for a regular file (a caller handing it to code that looks at its flags may clear it).
//
// Owns the descriptor and closes it when destroyed, unless release() handed it over. POSIX. Any
// thread; one object is used by one thread at a time.
class RegularFile {
public:
    enum class Access {
        Read,         // read only
        WriteCreate,  // write only, created with mode 0666 (less the umask) when missing; an
                      // existing file is not emptied (the caller truncates once it is known to be
                      // a regular file)
    };
    // Why no descriptor was kept.
    enum class Failure {
        None,
        Missing,     // the open failed with ENOENT: the file (or a folder on its path) is missing
        CannotOpen,  // the open failed otherwise: permissions, a named pipe with no reader when
                     // writing, a path too long...
        NotRegular,  // it opened, but is no regular file (or its status could not be read)
    };

    // Opens `path` (the file system's bytes, NUL-terminated).
    static RegularFile open(const char* path, Access access = Access::Read);

    RegularFile() = default;
    RegularFile(RegularFile&& other) noexcept;
    RegularFile& operator=(RegularFile&& other) noexcept;
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;
    ~RegularFile();

    bool isOpen() const { return m_Fd >= 0; }
    // The descriptor, -1 when not open.
    int descriptor() const { return m_Fd; }
    Failure failure() const { return m_Failure; }
    // The file's size in bytes when it was opened (it may change afterwards); 0 when not open.
    std::int64_t sizeBytes() const { return m_SizeBytes; }
    // Gives the descriptor to the caller, who closes it from then on; -1 when not open.
    int release();
    // Closes the descriptor now (nothing when not open).
    void close();

private:
    int m_Fd = -1;
    std::int64_t m_SizeBytes = 0;
    Failure m_Failure = Failure::None;
};

}  // namespace tomaro
