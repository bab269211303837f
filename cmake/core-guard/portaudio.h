#error "The core library links only the standard library: PortAudio belongs to the UI layer."
