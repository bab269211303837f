#error "The core library links only the standard library: libsndfile belongs to the import library."
