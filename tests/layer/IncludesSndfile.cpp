#include <sndfile.h>

int probe() { return sf_format_check(nullptr); }
