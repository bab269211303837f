#!/usr/bin/env bash
# Renders single drum strikes of two General MIDI sound fonts (Debian's fluid-soundfont-gm and
# timgm6mb-soundfont) through FluidSynth into 48 kHz WAV files, for calibrating the analysis:
#   scripts/render-drum-kits.sh OUTPUT_DIR
# Files are named FONT-NOTE-VELOCITY.wav (note: 35/36 kicks, 38/40 snares, 41..50 toms). Every
# file starts at the hit and lasts 1.5 s. Needs fluidsynth, the two sound fonts and python3.
set -euo pipefail
out=${1:?usage: render-drum-kits.sh OUTPUT_DIR}
mkdir -p "$out"
fonts=(FluidR3_GM:/usr/share/sounds/sf2/FluidR3_GM.sf2 TimGM6mb:/usr/share/sounds/sf2/TimGM6mb.sf2)
notes=(35 36 38 40 41 43 45 47 48 50)
velocities=(40 80 110 127)

# A one-note MIDI file on channel 10: note on at 0, note off after 1.5 s (480 ticks per beat at
# 120 beats per minute), then the end of the track.
midi() {
    python3 - "$1" "$2" "$3" <<'PY'
import struct, sys
note, velocity, path = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
def vlq(n):
    out = [n & 0x7f]
    n >>= 7
    while n:
        out.insert(0, (n & 0x7f) | 0x80)
        n >>= 7
    return bytes(out)
track = vlq(0) + bytes([0x99, note, velocity]) + vlq(1440) + bytes([0x89, note, 0]) \
    + vlq(0) + b"\xff\x2f\x00"
with open(path, "wb") as f:
    f.write(b"MThd" + struct.pack(">IHHH", 6, 0, 1, 480))
    f.write(b"MTrk" + struct.pack(">I", len(track)) + track)
PY
}

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for entry in "${fonts[@]}"; do
    name=${entry%%:*}
    font=${entry#*:}
    for note in "${notes[@]}"; do
        for velocity in "${velocities[@]}"; do
            midi "$note" "$velocity" "$tmp/strike.mid"
            fluidsynth -q -n -i -r 48000 -O s16 -T wav -g 0.6 \
                -F "$out/$name-$note-$velocity.wav" "$font" "$tmp/strike.mid" >/dev/null 2>&1
        done
    done
done
ls "$out" | wc -l
