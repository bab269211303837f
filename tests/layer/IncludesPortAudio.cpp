#include <portaudio.h>

int probe() { return Pa_GetVersion(); }
