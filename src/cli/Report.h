#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "cli/AnalyzeSession.h"
#include "cli/CliOptions.h"
#include "cli/TurnsFile.h"
#include "tuning/LugSession.h"
#include "tuning/TurnModel.h"

namespace tomaro {

// The report of one file, assembled in one place for both outputs. Fields, in this order:
//   file, and for a refused file only "error": the loader's message, exactly as the window
//   shows it; otherwise sample_rate, channels, frames (of the file itself), mode ("copy" or
//   "direct"), front (index of the strike front in the analysed samples), stretch_start and
//   stretch_end (indices in the analysed samples, end excluded), delay_sec and length_sec (the
//   stretch in seconds, which the window's fields show with 4 decimals), window, decay,
//   search_range_hz [F0, F1] (as searched: held to 10..20000 Hz), peak_bin, peak_hz (peak_bin * fs
//   / 65536), frequency_hz, decay_per_sample (0 without decay), frequency_text ("%0.2f Гц", "Hz"
//   with --latin), quality {verdict, reasons, clipped_in_stretch, clipped_before, fit_snr_db,
//   decay_s, rival_hz, rival_db, subharmonic_hz, glide_cents, level_db} (null for none), then
//   the read-out: note and displayed_hz (null outside 20..2000 Hz), nearest_hz
//   (null for none), nearest_drum (null for none or the free reference), nearest_kind (-1 none,
//   else 0..2), caption (the references button), lines ([{"text", "color": "#rrggbb"}], the
//   large-note window's), with --track pitch_track [[t_seconds, hz], ...] and with --series
//   series {count, median_hz, spread_cents, stable, new}. With --latin every "Гц" of these texts
//   reads "Hz".
nlohmann::ordered_json assembleReport(const FileAnalysis& file, const CliOptions& options);

// The report as one line of JSON (UTF-8; bytes of a file name that are not UTF-8 are replaced).
std::string reportJsonLine(const nlohmann::ordered_json& report);

// The report as one readable line,
// "FILE: 115.00 Гц  -1, Ля# -23 %  nearest 116.5 Гц (12\")  (peak ..., stretch ..., ...)" (the
// note and the nearest reference only for 20..2000 Hz), followed by the verdict and its reasons
// when it is not good ("  doubtful: rival glide") and the series with --series; or
// "FILE: refused: MESSAGE".
std::string reportLine(const nlohmann::ordered_json& report, const CliOptions& options);

// With --lugs: the file's report with "lug", "lug_hz" (null when not read) and "cents" (from the
// head's reference; null when not read) added.
nlohmann::ordered_json lugFileReport(nlohmann::ordered_json report, const FileAnalysis& file,
                                     const LugSession& lugs);
// {"lugs": {count, measured, reference ("target" or "mean"), reference_hz (null: none),
// band_hz [lo, hi], spread_cents, even, order [...], adjust [{lug, cents, action}, ...]}}, the
// adjustments of every rod measured ("cents" signed, + sharp). With `turns` (--turns) the head
// adds "turns": {cents_per_turn (null before a calibration), calibrations, marked ({lug,
// eighths} or null)}, and once calibrated every rod to turn adds "turns" (its turn, in turns).
nlohmann::ordered_json lugSummary(const LugSession& lugs, const TurnModel* turns = nullptr);
// "rod 3: 201.32 Hz  -4.1 ¢  ok  (tap.wav)", "rod 2: 171.00 Hz  -38.2 ¢  tighten 66 ¢  (tap.wav)"
// (the reading against the reference, signed; the advice unsigned, with its turn once `turns`
// is calibrated: "tighten 66 ¢ ≈ ¼ turn"), "rod 3: not read  (tap.wav: rejected: no_tone)".
std::string lugLine(const nlohmann::ordered_json& report, const FileAnalysis& file,
                    const LugSession& lugs, const TurnModel* turns = nullptr);
// "head: 8 rods, 8 measured, reference 200.4 Hz (mean), band 160.3..240.5 Hz, spread 3.2 c,
// even".
std::string headLine(const nlohmann::ordered_json& summary);

// With --turns: "turns: 212 ¢ per turn (3 calibrations), calibrated by this pass; rod 3 marked
// ⅛ × 4: turn only it, then tap the head again with the same --turns file", or "turns: not
// calibrated yet (...)".
std::string turnsLine(const TurnsFile& turns);

// Latin letters for the program's own Cyrillic texts ("Гц" -> "Hz").
std::string latinText(std::string text);

}  // namespace tomaro
