#include "history/ReadingRow.h"

#include "history/UntrustedText.h"

namespace tomaro::history::detail {

std::string readingColumns(std::string_view id, bool hasFromFile) {
    return std::string(id) +
           ", time_ms, drum, drum_type, struck, lug, lug_count, frequency_hz, lo_hz, hi_hz, "
           "lo_db, hi_db, verdict, tolerance_cents, target_hz, " +
           (hasFromFile ? "from_file" : "0");
}

std::optional<double> columnOptional(sqlite3_stmt* stmt, int column) {
    if (sqlite3_column_type(stmt, column) == SQLITE_NULL) return std::nullopt;
    return sqlite3_column_double(stmt, column);
}

std::string columnText(sqlite3_stmt* stmt, int column) {
    const unsigned char* text = sqlite3_column_text(stmt, column);
    return text ? validUtf8(reinterpret_cast<const char*>(text)) : std::string();
}

Reading readReading(sqlite3_stmt* stmt) {
    Reading reading;
    reading.id = sqlite3_column_int64(stmt, 0);
    reading.timeMs = sqlite3_column_int64(stmt, 1);
    reading.drum = columnText(stmt, 2);
    reading.drumType = sqlite3_column_int(stmt, 3);
    parseStruck(columnText(stmt, 4), reading.struck);
    reading.lug = sqlite3_column_int(stmt, 5);
    reading.lugCount = sqlite3_column_int(stmt, 6);
    reading.frequencyHz = sqlite3_column_double(stmt, 7);
    const auto loHz = columnOptional(stmt, 8), hiHz = columnOptional(stmt, 9);
    if (loHz && hiHz) {
        reading.pair = ModePair{*loHz, *hiHz, columnOptional(stmt, 10).value_or(0.0),
                                columnOptional(stmt, 11).value_or(0.0)};
    }
    reading.verdict = columnText(stmt, 12);
    reading.toleranceCents = columnOptional(stmt, 13).value_or(0.0);
    reading.targetHz = columnOptional(stmt, 14).value_or(0.0);
    reading.fromFile = sqlite3_column_int(stmt, 15) != 0;
    return reading;
}

void bindOptional(sqlite3_stmt* stmt, int index, bool present, double value) {
    if (present) {
        sqlite3_bind_double(stmt, index, value);
    } else {
        sqlite3_bind_null(stmt, index);
    }
}

void bindText(sqlite3_stmt* stmt, int index, const std::string& text) {
    sqlite3_bind_text(stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void bindReading(sqlite3_stmt* stmt, int first, const Reading& reading) {
    bindText(stmt, first, reading.drum);
    sqlite3_bind_int(stmt, first + 1, reading.drumType);
    sqlite3_bind_text(stmt, first + 2, struckCode(reading.struck), -1, SQLITE_STATIC);
    sqlite3_bind_int(stmt, first + 3, reading.lug);
    sqlite3_bind_int(stmt, first + 4, reading.lugCount);
    sqlite3_bind_double(stmt, first + 5, reading.frequencyHz);
    sqlite3_bind_int64(stmt, first + 6, reading.timeMs);
    bindText(stmt, first + 7, reading.verdict);
    bindOptional(stmt, first + 8, reading.toleranceCents > 0.0, reading.toleranceCents);
    bindOptional(stmt, first + 9, reading.targetHz > 0.0, reading.targetHz);
    const bool pair = reading.pair.has_value();
    const ModePair values = reading.pair.value_or(ModePair{});
    bindOptional(stmt, first + 10, pair, values.loHz);
    bindOptional(stmt, first + 11, pair, values.hiHz);
    bindOptional(stmt, first + 12, pair, values.loDb);
    bindOptional(stmt, first + 13, pair, values.hiDb);
    sqlite3_bind_int(stmt, first + 14, reading.fromFile ? 1 : 0);
}

}  // namespace tomaro::history::detail
