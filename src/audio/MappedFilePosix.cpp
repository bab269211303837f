#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>

#include "audio/MappedFile.h"
#include "base/RegularFile.h"

namespace tomaro {
namespace {

// Another program may cut a mapped file short at any moment (while the strike front is searched
// in ten minutes of sound, or while the graphs read it); a read of a page past the new end then
// raises SIGBUS, which would kill the program. The handler below puts a page of zeros in place of
// such a page, so that the read goes on and sees silence where the file no longer has sound
// (SampleSource readers also stop at bytesStillInFile() when they next ask). Faults anywhere else
// keep their default action.
struct MappedRange {
    std::atomic<std::uintptr_t> begin{0};
    std::atomic<std::uintptr_t> end{0};
};
constexpr std::size_t kGuardedMappings = 64;  // more mapped files at once are not guarded
std::array<MappedRange, kGuardedMappings> g_Mapped;
struct sigaction g_PreviousBusAction {};

bool zeroPageAt(std::uintptr_t address) {
    for (const MappedRange& range : g_Mapped) {
        const std::uintptr_t begin = range.begin.load(std::memory_order_acquire);
        if (begin <= 1 || address < begin || address >= range.end.load(std::memory_order_acquire))
            continue;
        const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
        void* at = reinterpret_cast<void*>(address - address % page);
        return ::mmap(at, page, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) !=
               MAP_FAILED;
    }
    return false;
}

void onBusError(int signal, siginfo_t* info, void* context) {
    if (info != nullptr && zeroPageAt(reinterpret_cast<std::uintptr_t>(info->si_addr))) return;
    // Not a shrunk mapping: the fault is what it was, with the action it had before.
    if ((g_PreviousBusAction.sa_flags & SA_SIGINFO) != 0 &&
        g_PreviousBusAction.sa_sigaction != nullptr) {
        g_PreviousBusAction.sa_sigaction(signal, info, context);
        return;
    }
    if (g_PreviousBusAction.sa_handler != SIG_DFL && g_PreviousBusAction.sa_handler != SIG_IGN &&
        g_PreviousBusAction.sa_handler != nullptr) {
        g_PreviousBusAction.sa_handler(signal);
        return;
    }
    ::signal(SIGBUS, SIG_DFL);  // returning retries the read, which now ends the process
}

void installBusGuard() {
    static std::once_flag installed;
    std::call_once(installed, [] {
        struct sigaction action {};
        action.sa_sigaction = onBusError;
        action.sa_flags = SA_SIGINFO | SA_NODEFER;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGBUS, &action, &g_PreviousBusAction);
    });
}

void guardMapping(const void* data, std::size_t size) {
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    for (MappedRange& range : g_Mapped) {
        std::uintptr_t free = 0;
        // 1 reserves the slot while its end is written: the handler skips it meanwhile.
        if (!range.begin.compare_exchange_strong(free, 1, std::memory_order_acq_rel)) continue;
        range.end.store(begin + size, std::memory_order_release);
        range.begin.store(begin, std::memory_order_release);
        return;
    }
}

void unguardMapping(const void* data) {
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    for (MappedRange& range : g_Mapped) {
        std::uintptr_t expected = begin;
        if (range.begin.compare_exchange_strong(expected, 0, std::memory_order_acq_rel)) return;
    }
}

}  // namespace

std::unique_ptr<MappedFile> MappedFile::open(const std::string& path, Error& error) {
    error = Error::None;
    // A named pipe given as a file cannot hang the open, and only a regular file is mapped.
    RegularFile opened = RegularFile::open(path.c_str());
    if (!opened.isOpen()) {
        error = Error::Open;
        return nullptr;
    }
    std::unique_ptr<MappedFile> file(new MappedFile);
    file->m_Size = static_cast<std::size_t>(opened.sizeBytes());
    const int fd = opened.release();
    file->m_Fd = fd;
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
        installBusGuard();
        guardMapping(view, file->m_Size);
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
    if (m_Data != nullptr) unguardMapping(m_Data);
    if (m_Data != nullptr) ::munmap(const_cast<unsigned char*>(m_Data), m_Size);
    if (m_Fd >= 0) ::close(m_Fd);
}

}  // namespace tomaro
