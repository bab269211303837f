#pragma once

// One reading as a row of SQLite columns, read and bound. Internal to the history library.

#include <sqlite3.h>

#include <optional>
#include <string>
#include <string_view>

#include "history/HistoryTypes.h"

namespace tomaro::history::detail {

// "ID, time_ms, drum, drum_type, struck, lug, lug_count, frequency_hz, lo_hz, hi_hz, lo_db,
// hi_db, verdict, tolerance_cents, target_hz, FROM_FILE": the columns readReading takes, with
// `id` for the first (id of a reading, rowid of a snapshot's row) and "0" for from_file in a file
// that has no such column.
std::string readingColumns(std::string_view id, bool hasFromFile);

std::optional<double> columnOptional(sqlite3_stmt* stmt, int column);
// The column's text, made valid UTF-8 (the file is untrusted).
std::string columnText(sqlite3_stmt* stmt, int column);
// A reading from the columns of readingColumns(), in that order.
Reading readReading(sqlite3_stmt* stmt);

void bindOptional(sqlite3_stmt* stmt, int index, bool present, double value);
void bindText(sqlite3_stmt* stmt, int index, const std::string& text);
// Binds the reading's columns from `first` on, in the order drum, drum_type, struck, lug,
// lug_count, frequency_hz, time_ms, verdict, tolerance_cents, target_hz, lo_hz, hi_hz, lo_db,
// hi_db, from_file.
void bindReading(sqlite3_stmt* stmt, int first, const Reading& reading);

}  // namespace tomaro::history::detail
