#include "history/HistoryPath.h"

#include <sys/stat.h>

#include <cerrno>

#include "settings/Language.h"

namespace tomaro::history {

HistoryPathKind historyPathKind(const std::string& path) {
    struct stat target {};
    if (::stat(path.c_str(), &target) != 0) {
        const int error = errno;
        if (error == ELOOP) return HistoryPathKind::LinkLoop;
        if (error == ENOENT || error == ENOTDIR) {
            struct stat link {};
            if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
                return HistoryPathKind::DanglingLink;
            }
            // A missing folder on the way is created by the window; a plain file on the way
            // makes the opening fail with SQLite's own words.
            return HistoryPathKind::Missing;
        }
        return HistoryPathKind::Unreachable;
    }
    if (S_ISREG(target.st_mode)) {
        return target.st_size == 0 ? HistoryPathKind::Empty : HistoryPathKind::File;
    }
    if (S_ISDIR(target.st_mode)) return HistoryPathKind::Folder;
    if (S_ISFIFO(target.st_mode)) return HistoryPathKind::Pipe;
    if (S_ISCHR(target.st_mode) || S_ISBLK(target.st_mode)) return HistoryPathKind::Device;
    if (S_ISSOCK(target.st_mode)) return HistoryPathKind::Socket;
    return HistoryPathKind::Unreachable;
}

std::string historyPathProblem(HistoryPathKind kind, const std::string& path) {
    const char* what = nullptr;
    switch (kind) {
        case HistoryPathKind::Missing:
        case HistoryPathKind::Empty:
        case HistoryPathKind::File:
            return {};
        case HistoryPathKind::Folder:
            what = pick("На месте файла истории настройки папка: ",
                        "A folder stands where the tuning history file should be: ");
            break;
        case HistoryPathKind::Pipe:
            what = pick("На месте файла истории настройки именованный канал: ",
                        "A named pipe stands where the tuning history file should be: ");
            break;
        case HistoryPathKind::Device:
            what = pick("На месте файла истории настройки устройство: ",
                        "A device stands where the tuning history file should be: ");
            break;
        case HistoryPathKind::Socket:
            what = pick("На месте файла истории настройки сокет: ",
                        "A socket stands where the tuning history file should be: ");
            break;
        case HistoryPathKind::LinkLoop:
            what = pick("Символические ссылки к истории настройки замкнуты в петлю: ",
                        "The symbolic links to the tuning history form a loop: ");
            break;
        case HistoryPathKind::DanglingLink:
            what = pick("Символическая ссылка истории настройки ведёт к несуществующему файлу: ",
                        "The tuning history's symbolic link points to a file that does not "
                        "exist: ");
            break;
        case HistoryPathKind::Unreachable:
            what = pick("Файл истории настройки недоступен: ",
                        "The tuning history file cannot be reached: ");
            break;
    }
    return std::string(what) + path;
}

}  // namespace tomaro::history
