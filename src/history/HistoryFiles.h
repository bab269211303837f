#pragma once

#include <string>

// The history file's neighbours: names for copies and files moved aside. Plain file-system
// functions, any thread; they never open the history.
namespace tomaro::history {

// "2026-12-09-034600" (UTC, now): sortable, without the colons some file systems refuse.
std::string dateStamp();

// `base` when nothing stands there, else the first free of base + "-2", base + "-3", ...
std::string freeName(const std::string& base);

// Moves the file at `path` and its journal files ("-wal", "-shm") aside as
// "<path>.broken-<date>"; the name the main file got, empty when it could not be moved.
std::string moveAside(const std::string& path);

// The "file:" URI of a path, with the characters a URI gives a meaning escaped.
std::string fileUri(const std::string& path);

}  // namespace tomaro::history
