#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "audio/SoundLibraryMessages.h"

namespace tomaro {
namespace {

// A child whose standard error is a pipe filters it, writes the sound library's reports among its
// own message, and exits: only the message comes out, whole, the last line included.
TEST(SoundLibraryMessages, OnlyTheProgramsOwnLinesReachStandardError) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::dup2(ends[1], STDERR_FILENO);
        ::close(ends[0]);
        ::close(ends[1]);
        ::unsetenv("TOMARO_SOUND_DEBUG");
        filterSoundLibraryReports();
        std::fputs("ALSA lib pcm.c:2664:(snd_pcm_open_noupdate) Unknown PCM cards.pcm.rear\n",
                   stderr);
        std::fputs("tomaro: wave ошибка: Pa_OpenStream ОШИБКА\n", stderr);
        std::fputs("Expression 'ret' failed in 'src/hostapi/alsa/pa_linux_alsa.c', line: 1736\n",
                   stderr);
        std::fputs("Cannot connect to server socket err = No such file or directory\n", stderr);
        std::fputs("the last words, without a line end", stderr);
        std::exit(0);
    }
    ::close(ends[1]);
    std::string out;
    char buffer[256];
    for (ssize_t count; (count = ::read(ends[0], buffer, sizeof buffer)) > 0;) {
        out.append(buffer, static_cast<std::size_t>(count));
    }
    ::close(ends[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(out, "tomaro: wave ошибка: Pa_OpenStream ОШИБКА\nthe last words, without a line end");
}

TEST(SoundLibraryMessages, ReportsAreToldFromTheProgramsOwnLines) {
    EXPECT_TRUE(isSoundLibraryReport("PaAlsaStreamComponent_BeginPolling: ..."));
    EXPECT_TRUE(isSoundLibraryReport("jack server is not running or cannot be started"));
    EXPECT_FALSE(isSoundLibraryReport("tomaro: the settings cannot be saved"));
    EXPECT_FALSE(isSoundLibraryReport("qt.qpa.xcb: could not connect to display"));
}

}  // namespace
}  // namespace tomaro
