#pragma once

#include <string_view>

namespace tomaro {

// PortAudio's back-ends (ALSA, JACK) write reports of their own on standard error: at start-up
// for every configured device they cannot open, and later from their own threads while a stream
// runs ("Expression '...' failed in 'src/hostapi/alsa/pa_linux_alsa.c'" when the sound server
// goes away). None of them is an error of the program's, and they bury its own messages.
//
// Sound-library reports, by their first words or the source file they name.
bool isSoundLibraryReport(std::string_view line);

// For the whole life of the program: standard error goes through a pipe whose reader thread
// passes every line on to the real standard error except the sound library's reports. Does
// nothing with TOMARO_SOUND_DEBUG=1 (everything is shown), or when the pipe cannot be made. Call
// once, early in main(); at exit standard error is the real one again.
void filterSoundLibraryReports();

}  // namespace tomaro
