#include "cli/UsageText.h"

#include <string>
#include <string_view>

#include "cli/OptionTable.h"
#include "settings/Language.h"

namespace tomaro {

std::string usageText() {
    constexpr std::size_t kHelpColumn = 22;
    constexpr std::size_t kLineWidth = 79;
    std::string text =
        "Usage: tomaro-analyze [options] FILE.wav...\n"
        "       tomaro-analyze --listen [--device NAME] [--threshold N] [--strikes N] [options]\n"
        "       tomaro-analyze --lugs N [--order star|clockwise] [--drum NAME --head batter|reso]\n"
        "                      [--tolerance C] [options] FILE...\n"
        "       tomaro-analyze --plan fourths|major-thirds|minor-thirds|STEPS --from NOTE\n"
        "                      [--from-top] [--kit FILE] [--json]\n"
        "       tomaro-analyze --heads --drum NAME [--centre FILE] BATTER_TAPS... --\n"
        "                      RESO_TAPS...\n"
        "       tomaro-analyze --listen --record [--drum NAME [--head batter|reso [--lug K]]]\n"
        "       tomaro-analyze --history [--drum NAME] [--since DATE] [--json]\n"
        "       tomaro-analyze --snapshots [--json] | --snapshot NAME [--json]\n"
        "Finds the main frequency of a drum strike stored in each WAV file, exactly as the\n"
        "Tomaro window does when it opens the file, names its note and finds the nearest\n"
        "reference of the drum kit. Without options the analysis uses your stored Tomaro\n"
        "settings; options change them for this run only and are never saved.\n"
        "\nOptions:\n";
    for (const OptionEntry& entry : optionTable()) {
        std::string line = "  " + std::string(entry.name);
        if (!entry.valueNames.empty()) line += " " + std::string(entry.valueNames);
        if (line.size() + 2 > kHelpColumn) {
            text += line + "\n";
            line.clear();
        }
        line.resize(kHelpColumn, ' ');
        // Wraps the help at word boundaries below the help column.
        // In English every text is Latin already: --latin has nothing to replace there; the
        // snare and the kick go by their English names.
        std::string_view help = entry.help;
        if (inEnglish() && entry.name == "--latin") {
            help = "Latin note names (\"4 A\") and Hz in texts (always in English)";
        } else if (inEnglish() && entry.name == "--drum") {
            help =
                "with --lugs, --heads or --listen: the drum being tuned, as the kit names it "
                "(12\", "
                "Snare, Kick); its overtone reference of the head is the target; with --history: "
                "that drum's readings only";
        }
        while (!help.empty()) {
            std::size_t room = kLineWidth - kHelpColumn;
            std::size_t cut = help.size();
            if (cut > room) {
                cut = help.rfind(' ', room);
                if (cut == std::string_view::npos) cut = room;
            }
            line += help.substr(0, cut);
            help.remove_prefix(cut);
            while (!help.empty() && help.front() == ' ') help.remove_prefix(1);
            text += line + "\n";
            line.assign(kHelpColumn, ' ');
        }
    }
    text +=
        "\nEach file gives one line: the measured frequency, the note of the frequency read\n"
        "out with its deviation in hundredths of a semitone, and the nearest reference with\n"
        "its drum (\"" +
        std::string(pick("обер Пл1 12\"\" for an overtone, \"эталон\"",
                         "batter overtone 12\"\" for an overtone, \"reference\"")) +
        " for the free reference):\n" +
        pick("  tom.wav: 115.00 Гц  -1, Ля# -23 %  nearest 116.5 Гц (12\")  (peak ...)\n",
             "  tom.wav: 115.00 Hz  2 A#  -23 ¢  nearest 116.5 Hz (12\")  (peak ...)\n") +
        "With --transfer 1 a strike on an overtone shows \"read as F " + pick("Гц", "Hz") +
        "\" before the note.\n"
        "The drums come from your settings or from --kit; the free reference and the note\n"
        "naming of the references dialog always come from your settings (--latin forces\n"
        "Latin names).\n"
        "\n--json prints one object per file: file, and for a refused file only error.\n"
        "Otherwise sample_rate, channels, frames, mode (copy or direct), front,\n"
        "stretch_start, stretch_end, delay_sec, length_sec, window, decay, search_range_hz,\n"
        "peak_bin, peak_hz, frequency_hz, decay_per_sample, frequency_text, then:\n"
        "  note          note of displayed_hz with its deviation (null outside 20..2000 Hz)\n"
        "  displayed_hz  frequency_hz, or with --transfer 1 the fundamental it stands for\n"
        "                (null outside 20..2000 Hz)\n"
        "  nearest_hz    the nearest reference in Hz (null when there is none)\n"
        "  nearest_drum  its drum (null for the free reference or none)\n"
        "  nearest_kind  -1 none, 0 fundamental or the free reference, 1 batter overtone,\n"
        "                2 resonant overtone\n"
        "  caption       the text of the references button\n"
        "  lines         the lines of the large-note window in order, each\n"
        "                {\"text\": ..., \"color\": \"#rrggbb\"}; the empty one is the spacer\n"
        "\nEvery object also holds front (the strike front the stretch counts from; a file\n"
        "whose hit comes later than 6000 frames in is measured from its hit) and quality:\n"
        "  verdict       good, doubtful or rejected\n"
        "  reasons       why not good: no_tone, clipped (these two reject), rival,\n"
        "                subharmonic, short_decay, glide, low_snr, no_strike\n"
        "  clipped_in_stretch, clipped_before  full-scale samples in the stretch and in\n"
        "                the attack before it\n"
        "  fit_snr_db    fitted tone against the residual; decay_s its time constant\n"
        "                (null: no decay); rival_hz, rival_db the strongest other peak;\n"
        "                subharmonic_hz a strong peak near half the frequency (or null);\n"
        "                glide_cents second half of the stretch against the first;\n"
        "                level_db the strike's peak below full scale\n"
        "--track adds pitch_track [[t_seconds, hz], ...]; --series adds series\n"
        "{count, median_hz, spread_cents, stable, new} as the window shows it.\n"
        "With --import an analysed file also gives imported (true) and clipped_samples (the\n"
        "first channel's samples held at 16-bit full scale); mode is copy as for a WAV file\n"
        "of up to 48000 frames, or direct: the whole decoded sound, read from its start.\n"
        "\nWith --listen every strike gives its line (or object, with \"mode\": \"live\" and\n"
        "\"file\": \"strike N\") as soon as its analysed stretch is recorded, about half a\n"
        "second after the hit; the JSON object adds t_trigger_s and t_reading_s, the seconds\n"
        "from the start of listening to the strike's trigger and to its reading.\n"
        "\nWith --lugs N the files are taps about 2-3 cm in from rods 1, 2, ... (clockwise\n"
        "from the top; fewer files leave the last rods unmeasured). Each rod is read in a\n"
        "band of +-12 % around the head's (1,1) mode: around its target (the --drum's\n"
        "overtone reference of the --head) when the kit has one, else around 1.525x the\n"
        "fundamental of a --centre strike, else around the mode family the taps show\n"
        "(searched over 60..1200 Hz, the window's lug search range). Each rod line gives its\n"
        "frequency, its cents from the reference (the target, else the mean of the rods;\n"
        "signed, + sharp) and tighten, loosen or ok with the advice's unsigned size; the\n"
        "head line its spread and whether it is even. With --json every file's object adds\n"
        "lug, lug_hz (null when not read) and cents, then one object {\"lugs\": {count,\n"
        "measured, reference (target or mean), reference_hz, band_hz [lo, hi],\n"
        "spread_cents, even, order (the tapping order), adjust [{lug, cents (+ sharp: to be\n"
        "loosened), action, turns and turn_deg (with a calibrated --turns file)}] for every\n"
        "rod measured}}. With --turns FILE, --turned LUG:EIGHTHS marks a turn of one rod\n"
        "after this pass; turn that rod alone and tap the head again with the same FILE:\n"
        "the next pass calibrates cents per turn, and the advice reads in turns.\n"
        "The (1,1) pair is fitted over all taps together: split_cents is null when the\n"
        "pair lies closer than the fit resolves (split_below_cents), axis_deg null and\n"
        "tap_again true when the rods do not show the split's axis. With --learn FILE the\n"
        "head's response to the last advice is kept between passes and the advice is\n"
        "scaled and turned by it (advice_scale, advice_turn_deg; advice_reduced after a\n"
        "pass that raised the split). A pass that read no rod exits 3.\n"
        "\nWith --plan the kit's drums are listed in size order (snare, toms from the\n"
        "smallest, kick): each tom gets a note, the lowest (or with --from-top the highest)\n"
        "the --from NOTE and each next one the scheme's step away; the snare and the kick\n"
        "keep their references. Every note is checked against the usual fundamental of its\n"
        "size (docs/drum-ranges.md) and marked outside when it lies beyond it. Nothing is\n"
        "written. --json gives one object {\"plan\": {scheme, drums [{drum, note,\n"
        "frequency_hz, range_hz [lo, hi], in_range}]}}.\n"
        "\nWith --heads the files before \"--\" are taps near the batter head's rods 1, 2, ...\n"
        "and those after it the resonant head's, each head read as --lugs reads it; the\n"
        "pitch of a head is the mean (1,1) of its rods. It prints both heads and the\n"
        "interval from the batter up to the resonant head; --json gives {\"heads\":\n"
        "{batter_hz, reso_hz, interval_cents, fundamental_hz}} (the fundamental of the\n"
        "--centre strike, else null).\n"
        "\nThe tuning history (the window's, in $XDG_DATA_HOME/Harnwick/Tomaro/tomaro.sqlite,\n"
        "else ~/.local/share/Harnwick/Tomaro/tomaro.sqlite) is only read by --history,\n"
        "--snapshots and --snapshot; with --json --history gives one object per reading:\n"
        "time (ISO 8601, UTC), drum, struck (drum, centre, batter or reso; lug with the\n"
        "last two), frequency_hz, pair {lo_hz, hi_hz, lo_db, hi_db} when one was read,\n"
        "verdict, target_hz, tolerance_cents; --snapshots one object per snapshot: id,\n"
        "name, time, drums; --snapshot NAME|ID one object: name, time, drums [{drum,\n"
        "strike, heads [{head, lugs, mean_hz, rods [{lug, angle_deg, frequency_hz,\n"
        "cents}]}]}]. Exit status 1 when there is no history, no snapshot of that name or\n"
        "id, or more than one of that name (their ids are listed).\n"
        "\nExit status: 0 when every file was analysed, 1 when a file was refused or the\n"
        "output could not be written, 2 on bad usage or when the --kit file cannot be used\n"
        "(nothing is analysed then), 3 when every file was analysed but a reading was\n"
        "rejected (nothing to measure). With --listen: 0 after --strikes readings or a\n"
        "signal to stop, 1 when the device cannot be opened or is lost (the \"" +
        pick("wave ошибка", "wave error") +
        "\"\n"
        "text on standard error) or the output could not be written.\n";
    return text;
}

}  // namespace tomaro
