#pragma once

#include <string>

// What stands at the place of the history file, looked at before SQLite opens it: opening a
// named pipe blocks, and a device, a folder or a broken link gives SQLite's words, not the
// user's. Pure functions on the file system, any thread; they never open or block.
namespace tomaro::history {

enum class HistoryPathKind {
    Missing,       // nothing there yet (the parent may be missing too)
    Empty,         // a regular file of no bytes
    File,          // a regular file with content (or a link to one)
    Folder,        // a directory
    Pipe,          // a named pipe (FIFO)
    Device,        // a character or block device (/dev/null)
    Socket,        // a unix socket
    LinkLoop,      // symbolic links that lead back to themselves
    DanglingLink,  // a symbolic link to nothing
    Unreachable,   // stat failed otherwise (a folder on the way cannot be searched, ...)
};

HistoryPathKind historyPathKind(const std::string& path);

// Kinds a history can be opened on: Missing, Empty and File.
inline bool isOpenable(HistoryPathKind kind) {
    return kind == HistoryPathKind::Missing || kind == HistoryPathKind::Empty ||
           kind == HistoryPathKind::File;
}

// Why the history at `path` cannot be used, in the current language, naming what stands there
// ("…: PATH"); empty for the kinds that can be opened.
std::string historyPathProblem(HistoryPathKind kind, const std::string& path);

}  // namespace tomaro::history
