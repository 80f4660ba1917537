#!/usr/bin/env bash
# Brenna demonstration: installs what the build needs, builds, makes a card
# with demonstration recordings, serves it with the simulated ECG device on a
# pseudo-terminal and opens the control window connected to it. Without a
# display it does the main job with brenna-cli instead (list, download the
# longest recording at 921600 baud, analyse and export, plot, EDF+ and the
# Holter report; the recording with ectopy, its beat classes and rhythm
# events beside their truth) and renders the windows to PNG files.
# Everything it makes stays in demo-out/ (settings included).
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc 2>/dev/null || echo 2)"

out=demo-out
sim=build/bin/brenna-sim
mkdir -p "$out"
rm -f "$out/card.img" "$out/card.img.state" "$out/port"
"$sim" make-card "$out/card.img" --demo

"$sim" serve "$out/card.img" --link "$out/port" >"$out/sim.log" 2>&1 &
sim_pid=$!
stop_sim() {
  kill "$sim_pid" 2>/dev/null || true
  wait "$sim_pid" 2>/dev/null || true
}
trap stop_sim EXIT
for _ in $(seq 1 100); do
  grep -q '^PORT ' "$out/sim.log" && [ -e "$out/port" ] && break
  kill -0 "$sim_pid" 2>/dev/null || { cat "$out/sim.log"; exit 1; }
  sleep 0.1
done
echo "simulated device: $(grep -m1 '^PORT ' "$out/sim.log") (linked as $out/port)"

brenna=(build/bin/brenna --settings-folder "$out/settings" --port "$out/port")
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  "${brenna[@]}"
  exit 0
fi

# No display: the same job through brenna-cli, then pictures of the windows.
echo "no display: running the main job with brenna-cli"
export XDG_CONFIG_HOME="$PWD/$out/config"   # the demo's settings stay in demo-out
cli=(build/bin/brenna-cli --port "$out/port")
"${cli[@]}" stop
"${cli[@]}" list | tee "$out/list.tsv"
# The longest recording: the row with the largest size.
row=$(awk -F'\t' 'NR > 1 && $1 ~ /^[0-9]+$/ && $4 + 0 > best { best = $4 + 0; row = $1 } END { print row }' "$out/list.tsv")
[ -n "$row" ] || { echo "no recording on the card"; exit 1; }
recording="$out/recording-$row.экг"
"${cli[@]}" download "$row" "$recording" --speed 921600
build/bin/brenna-cli analyse "$recording" --export
build/bin/brenna-cli plot "$recording" "$out/recording-$row.png"
build/bin/brenna-cli export-edf "$recording" "$out/recording-$row.edf"
build/bin/brenna-cli report "$recording" "$out/recording-$row - отчёт.pdf" --json "$out/recording-$row - отчёт.json" \
  --rr "$out/recording-$row - RR.csv"

# The recording with ectopy and rhythm events: the one the truth file gives
# events for. Its beats' classes and its events as the analysis finds them,
# beside the truth.
truth="$out/card.img.truth.tsv"
ectopy_first=$(awk -F'\t' '$1 == "event" { print $2; exit }' "$truth")
ectopy_row=$(awk -F'\t' -v first="$(printf '0x%x' "$ectopy_first")" 'NR > 1 && $2 == first { print $1 }' "$out/list.tsv")
ectopy="$out/ectopy.экг"
"${cli[@]}" download "$ectopy_row" "$ectopy" --speed 921600
# The truth in the layouts of --beats (position, flags, class) and --events.
awk -F'\t' -v first="$ectopy_first" '$1 == "rpeak" && $2 == first { print $3 "\t0\t" $4 }' "$truth" >"$out/ectopy - truth beats.tsv"
awk -F'\t' -v first="$ectopy_first" -v OFS='\t' '$1 == "event" && $2 == first {
  printf "%s\t%.2f\t%.2f\t%d\t%.1f\n", $3, $4 / 976.5625, $5 / 976.5625, $6, $7 }' "$truth" >"$out/ectopy - truth events.tsv"
build/bin/brenna-cli analyse "$ectopy" --detector precise --beats "$out/ectopy - beats.tsv" \
  --events "$out/ectopy - events.tsv"
echo "ectopy recording: beats per class found (truth):"
for class in N S V; do
  found=$(awk -F'\t' -v c="$class" '$3 == c' "$out/ectopy - beats.tsv" | wc -l)
  known=$(awk -F'\t' -v c="$class" '$3 == c' "$out/ectopy - truth beats.tsv" | wc -l)
  echo "  $class: $found ($known)"
done
echo "ectopy recording: events found, then the truth:"
cat "$out/ectopy - events.tsv"
echo "  --"
cat "$out/ectopy - truth events.tsv"
build/bin/brenna-cli report "$ectopy" "$out/ectopy - отчёт.pdf" --json "$out/ectopy - отчёт.json" --detector precise

xvfb-run -a "${brenna[@]}" --screenshot "$out/control.png" >/dev/null 2>&1 || true
xvfb-run -a build/bin/brenna --settings-folder "$out/settings" --analyse "$recording" \
  --screenshot "$out/analysis.png" >/dev/null 2>&1 || true
xvfb-run -a build/bin/brenna --settings-folder "$out/settings" --analyse "$ectopy" \
  --screenshot "$out/ectopy.png" >/dev/null 2>&1 || true
xvfb-run -a build/bin/brenna --settings-folder "$out/settings" --review "$ectopy" \
  --screenshot "$out/review.png" >/dev/null 2>&1 || true
echo
echo "files in $out/:"
echo "  list.tsv                the recording list"
echo "  $(basename "$recording")          recording $row as downloaded at 921600 baud"
echo "  recording-$row - *.txt  pulse rate, temperature, CCP1 and accelerations"
echo "  recording-$row.png       the analysis chart"
echo "  recording-$row.edf       the recording as EDF+, with its R-peaks"
echo "  recording-$row - отчёт.pdf  the Holter report (figures in .json, RR intervals in - RR.csv)"
echo "  ectopy.экг              the recording with premature beats, runs, bigeminy and AF"
echo "  ectopy - *.tsv          its beats' classes and rhythm events, found and true"
echo "  ectopy - отчёт.pdf      its Holter report; ectopy.png its analysis window,"
echo "                          review.png the same at its first AF episode"
echo "  control.png, analysis.png  the two windows"
