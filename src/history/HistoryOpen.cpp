#include <sqlite3.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "history/HistoryConnection.h"
#include "history/HistoryFiles.h"
#include "history/HistoryPath.h"
#include "history/HistorySchema.h"
#include "history/HistoryStore.h"
#include "settings/Language.h"

// The store's opening: what stands at the path, the connection and its check, the schema's
// version and upgrade, and the file opened again before a write when it went away.
namespace tomaro::history {
namespace {

namespace fs = std::filesystem;

bool isBusy(int code) {
    const int primary = code & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

bool isDamage(int code) {
    const int primary = code & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

const char* worksWithout() {
    return pick(". Тюнер работает без неё.", ". The tuner works without it.");
}

}  // namespace

void HistoryStore::open() {
    const bool readOnly = m_Mode == Mode::ReadOnly;
    m_RetryOpen = false;
    // What stands there is looked at first: SQLite would block on a named pipe and give its
    // own words for a folder or a device.
    const HistoryPathKind kind = historyPathKind(m_Path);
    if (!isOpenable(kind)) {
        reportOnce(kOpenFailed,
                   historyPathProblem(kind, m_Path) + (readOnly ? "" : worksWithout()));
        return;
    }
    if (readOnly && (kind == HistoryPathKind::Missing || kind == HistoryPathKind::Empty)) {
        reportOnce(kMissing, std::string(kind == HistoryPathKind::Empty
                                             ? pick("История настройки пуста: ",
                                                    "The tuning history is empty: ")
                                             : pick("Истории настройки ещё нет: ",
                                                    "There is no tuning history yet: ")) +
                                 m_Path);
        return;
    }
    if (!readOnly) {
        std::error_code error;
        const fs::path folder = fs::path(m_Path).parent_path();
        if (!folder.empty()) fs::create_directories(folder, error);
    }
    if (!connect()) return;

    HistoryConnection& connection = *m_Connection;
    int code = SQLITE_OK;
    const int version = std::stoi("0" + connection.firstText("PRAGMA user_version", code));
    if (version > kSchemaVersion) {
        connection.close();
        reportOnce(kNewer,
                   std::string(pick("История настройки записана более новой версией Tomaro и "
                                    "не тронута: ",
                                    "The tuning history was written by a newer Tomaro and is "
                                    "left untouched: ")) +
                       m_Path);
        return;
    }
    if (readOnly) {
        if (version == 0 &&
            connection.firstText("SELECT count(*) FROM sqlite_master", code) == "0") {
            connection.close();
            reportOnce(kMissing, std::string(pick("История настройки пуста: ",
                                                  "The tuning history is empty: ")) +
                                     m_Path);
        } else if (version == 3) {
            // Written before readings from files were told apart: read as it is.
            connection.setHasFromFile(false);
        } else if (version < kSchemaVersion) {
            connection.close();
            reportOnce(kNewer,
                       std::string(pick("История настройки старого формата; откройте Tomaro, "
                                        "чтобы её обновить: ",
                                        "The tuning history is of an older format; open Tomaro "
                                        "once to upgrade it: ")) +
                           m_Path);
        }
        return;
    }
    connection.setWritingPragmas();
    if (version < kSchemaVersion) upgrade(version);
}

bool HistoryStore::connect() {
    HistoryConnection& connection = *m_Connection;
    const bool readOnly = m_Mode == Mode::ReadOnly;
    // A reader that cannot make the shared-memory file beside a WAL history (a folder it cannot
    // write) reads the file as it is instead: what only the log holds is then not seen.
    bool immutable = false;
    // Twice at most: a damaged file is moved aside and a new one started.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int flags =
            readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
        const std::string name = immutable ? fileUri(m_Path) + "?immutable=1" : m_Path;
        int code = connection.open(
            name, flags | SQLITE_OPEN_NOMUTEX | (immutable ? SQLITE_OPEN_URI : 0), kBusyTimeoutMs);
        std::string check;
        if (code == SQLITE_OK) check = connection.firstText("PRAGMA quick_check", code);
        const bool damaged = isDamage(code) || (code == SQLITE_OK && check != "ok");
        if (isBusy(code)) {
            closeBusy(code);
            return false;
        }
        if (readOnly && !immutable && code != SQLITE_OK && !damaged) {
            connection.close();
            immutable = true;
            --attempt;
            continue;
        }
        if (code != SQLITE_OK && !damaged) {
            connection.close();
            reportOnce(kOpenFailed, std::string(pick("История настройки не открывается (",
                                                     "The tuning history cannot be opened (")) +
                                        sqlite3_errstr(code) + "): " + m_Path + worksWithout());
            return false;
        }
        if (damaged) {
            connection.close();
            if (readOnly || attempt > 0) {
                reportOnce(kDamaged, std::string(pick("Файл истории настройки повреждён: ",
                                                      "The tuning history file is damaged: ")) +
                                         m_Path);
                return false;
            }
            const std::string aside = moveAside(m_Path);
            if (aside.empty()) {
                reportOnce(kDamaged,
                           std::string(pick("Файл истории настройки повреждён и не может быть "
                                            "отложен: ",
                                            "The tuning history file is damaged and cannot be "
                                            "moved aside: ")) +
                               m_Path +
                               pick(". Тюнер работает без истории.",
                                    ". The tuner works without the history."));
                return false;
            }
            reportOnce(kDamaged,
                       std::string(pick("Файл истории настройки повреждён; он сохранён как ",
                                        "The tuning history file was damaged; it was kept as ")) +
                           aside +
                           pick(", начата новая история.", ", and a new history was started."));
            continue;
        }
        break;
    }
    return connection.db() != nullptr;
}

void HistoryStore::upgrade(int version) {
    HistoryConnection& connection = *m_Connection;
    // An older file is copied first, so a failed or unwanted upgrade loses nothing.
    int code = SQLITE_OK;
    const std::string tables =
        connection.firstText("SELECT count(*) FROM sqlite_master WHERE type='table'", code);
    if (version > 0 || tables != "0") {
        const std::string backup = freeName(m_Path + ".v" + std::to_string(version) + ".bak");
        code = connection.copyTo(backup);
        if (code != SQLITE_OK) {
            connection.close();
            reportOnce(kOpenFailed,
                       std::string(pick("История настройки не обновлена: не удалось сделать её "
                                        "копию (",
                                        "The tuning history was not upgraded: its copy could not "
                                        "be made (")) +
                           sqlite3_errstr(code) + "): " + m_Path);
            return;
        }
        if (version == 0) {
            // Tables but no version: not a file of ours. It stays as it was, beside the new one.
            connection.close();
            const std::string aside = moveAside(m_Path);
            std::error_code ignored;
            fs::remove(backup, ignored);
            if (aside.empty()) {
                // The file stays where it was, untouched; the tuner goes on without a history.
                reportOnce(kDamaged,
                           std::string(pick("Файл истории настройки не узнан и не может быть "
                                            "отложен: ",
                                            "The tuning history file was not recognised and "
                                            "cannot be moved aside: ")) +
                               m_Path +
                               pick(". Тюнер работает без истории.",
                                    ". The tuner works without the history."));
                return;
            }
            reportOnce(kDamaged,
                       std::string(pick("Файл истории настройки не узнан; он сохранён как ",
                                        "The tuning history file was not recognised; it was "
                                        "kept as ")) +
                           aside +
                           pick(", начата новая история.", ", and a new history was started."));
            if (connection.open(m_Path,
                                SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                                kBusyTimeoutMs) != SQLITE_OK) {
                connection.close();
                return;
            }
            connection.setWritingPragmas();
        }
    }
    code = upgradeSchema(connection, version);
    if (code == SQLITE_OK) return;
    if (isBusy(code)) {
        closeBusy(code);
        return;
    }
    connection.close();
    reportOnce(kOpenFailed, std::string(pick("История настройки не обновлена (",
                                             "The tuning history could not be upgraded (")) +
                                sqlite3_errstr(code) + "): " + m_Path + worksWithout());
}

void HistoryStore::closeBusy(int code) {
    m_Connection->close();
    // Another program holds the file for longer than the busy wait: tried again at the next
    // write, never given up for the session.
    const bool readOnly = m_Mode == Mode::ReadOnly;
    m_RetryOpen = !readOnly;
    reportOnce(kBusy, std::string(pick("История настройки занята другой программой (",
                                       "The tuning history is busy in another program (")) +
                          sqlite3_errstr(code) + "): " + m_Path +
                          (readOnly ? ""
                                    : pick(". Запись возобновится, когда она освободится.",
                                           ". Writing resumes once it is free.")));
}

bool HistoryStore::prepareWrite() {
    if (m_Mode == Mode::ReadOnly) return false;
    HistoryConnection& connection = *m_Connection;
    if (!connection.db() && m_RetryOpen) open();
    if (!connection.db()) return false;
    int moved = 0;
    if (sqlite3_file_control(connection.db(), "main", SQLITE_FCNTL_HAS_MOVED, &moved) !=
            SQLITE_OK ||
        moved == 0) {
        return true;
    }
    // The file was deleted or moved away while open, and a write would go where the user no
    // longer looks. The connection still reads it: its content is copied to the path first.
    std::error_code error;
    std::string copy;
    if (historyPathKind(m_Path) == HistoryPathKind::Missing) {
        fs::create_directories(fs::path(m_Path).parent_path(), error);
        copy = freeName(m_Path + ".new");
        if (connection.copyTo(copy) != SQLITE_OK) {
            fs::remove(copy, error);
            copy.clear();
        }
    }
    connection.close();
    if (historyPathKind(m_Path) == HistoryPathKind::Missing) {
        // Journal files left at the path belong to the file that went away; the new file must
        // never take them for its own.
        const std::string aside = freeName(m_Path + ".moved-" + dateStamp());
        for (const char* suffix : {"-wal", "-shm"}) {
            if (fs::exists(m_Path + suffix, error)) {
                fs::rename(m_Path + suffix, aside + suffix, error);
            }
        }
        if (!copy.empty()) fs::rename(copy, m_Path, error);
    } else if (!copy.empty()) {
        fs::remove(copy, error);
    }
    open();
    reportOnce(kMoved,
               std::string(pick("Файл истории настройки был удалён или перемещён; история "
                                "продолжается в новом файле: ",
                                "The tuning history file was deleted or moved; the history goes "
                                "on in a new file: ")) +
                   m_Path);
    return connection.db() != nullptr;
}

}  // namespace tomaro::history
