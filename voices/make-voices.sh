#!/usr/bin/env bash
# Regenerates the two voice sets from espeak-ng's Japanese voice. The results are committed, so
# building the program needs neither espeak-ng nor sox; run this only to change the recordings.
# Needs: espeak-ng, sox (Debian packages of the same names).
#   speed    natural pace, for reading text aloud
#   hispeed  each digit at most 200 ms, for echoing typed keys
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Output format of every recording: small, and what the null-sink tests capture at.
format=(-r 22050 -c 1 -b 16 -e signed-integer)

words=(
    "0:ぜろ" "1:いち" "2:に" "3:さん" "4:よん" "5:ご" "6:ろく" "7:なな" "8:はち" "9:きゅう"
    "d:てん" "r:かいぎょう"
)

# Speaks a word and trims the silence at both ends (sox trims the front; reversing trims the end).
speak() { # rate word output
    espeak-ng -v ja -s "$1" -w "$work/raw.wav" "$2"
    sox "$work/raw.wav" "${format[@]}" "$work/trimmed.wav" \
        silence 1 0.005 1% reverse silence 1 0.005 1% reverse norm -1
    sox "$work/trimmed.wav" "$3" fade t 0.003 0 0.008
}

duration_ms() { soxi -D "$1" | awk '{ printf "%d", $1 * 1000 + 0.5 }'; }

# Stretches or squeezes a recording to fit [min, max] milliseconds without changing its pitch.
fit() { # file min max
    local ms factor
    ms=$(duration_ms "$1")
    if [ "$ms" -gt "$3" ]; then
        factor=$(awk -v a="$ms" -v b="$3" 'BEGIN { printf "%.4f", a / b }')
    elif [ "$ms" -lt "$2" ]; then
        factor=$(awk -v a="$ms" -v b="$2" 'BEGIN { printf "%.4f", a / b }')
    else
        return 0
    fi
    sox "$1" "$work/fit.wav" tempo -s "$factor"
    sox "$work/fit.wav" "${format[@]}" "$1" fade t 0.003 0 0.008
}

click() { # output: a short, soft tick for every character that has no word of its own
    sox -n "${format[@]}" "$1" synth 0.025 sine 1800 fade q 0.002 0.025 0.02 vol 0.25
}

for set in speed hispeed; do
    mkdir -p "$here/$set"
    for entry in "${words[@]}"; do
        name=${entry%%:*}
        word=${entry#*:}
        out="$here/$set/$name.wav"
        if [ "$set" = speed ]; then
            speak 170 "$word" "$out"
        else
            speak 320 "$word" "$out"
            case $name in
                [0-9]) fit "$out" 110 200 ;;
                *) fit "$out" 110 320 ;;
            esac
        fi
        printf '%-8s %s.wav %4d ms\n' "$set" "$name" "$(duration_ms "$out")"
    done
    click "$here/$set/s.wav"
done
