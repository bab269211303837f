#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace tomaro {

// A whole file mapped read-only into memory: the small platform layer under the WAV reader.
// POSIX open/fstat/mmap here; the mapping lives as long as the object. Another program may cut
// the file short while it is mapped: a read of the mapping past the file's new end then sees
// zeros instead of killing the process with SIGBUS (a process-wide SIGBUS handler, installed by
// the first open(), puts a page of zeros there; other faults keep their action).
class MappedFile {
public:
    enum class Error { None, Open, Map };

    // Opens and maps `path` (UTF-8). An empty file opens with size 0 and no mapping.
    static std::unique_ptr<MappedFile> open(const std::string& path, Error& error);

    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    const unsigned char* data() const { return m_Data; }
    std::size_t size() const { return m_Size; }
    // Bytes of the mapping still backed by the file: less than size() when another program has
    // cut the file short since it was mapped (past that point the mapping reads as zeros).
    std::size_t bytesStillInFile() const;

private:
    MappedFile() = default;

    int m_Fd = -1;
    const unsigned char* m_Data = nullptr;
    std::size_t m_Size = 0;
};

}  // namespace tomaro
