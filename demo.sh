#!/usr/bin/env bash
# Brenna demonstration: installs what the build needs, builds, makes a card
# with demonstration recordings, serves it with the simulated ECG device on a
# pseudo-terminal and opens the control window connected to it. Without a
# display the window is rendered to demo-out/control.png instead.
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
if "$sim" 2>&1 | grep -q -- --demo; then
  "$sim" make-card "$out/card.img" --demo
else
  "$sim" make-card "$out/card.img"
fi

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
else
  echo "no display: rendering the control window to $out/control.png"
  xvfb-run -a "${brenna[@]}" --screenshot "$out/control.png"
fi
