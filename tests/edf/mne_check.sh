#!/bin/sh
# mne_check.sh WRITER SCRIPT: writes a sample EDF+ file and reads it with MNE.
# Exit 77 (skipped) when no python3 with MNE is there.
set -e
python=python3
[ -x /usr/bin/python3 ] && python=/usr/bin/python3
command -v "$python" >/dev/null 2>&1 || exit 77
"$python" -c "import mne" 2>/dev/null || { echo "mne not installed"; exit 77; }
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
impulses=$("$1" "$dir")
"$python" "$2" "$dir/sample.edf" "$impulses"
