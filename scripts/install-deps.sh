#!/usr/bin/env bash
# Installs the Debian packages Brenna needs to build, test, package and run its
# demo (help2man, dpkg-dev, desktop-file-utils and shared-mime-info make and
# check the Debian package).
set -euo pipefail
packages=(cmake g++ clang libclang-rt-14-dev make qt6-base-dev libgl-dev libgtest-dev libgmock-dev gputils fonts-dejavu-core xvfb xauth qt6-translations-l10n libedf-dev python3-mne libfftw3-dev poppler-utils help2man dpkg-dev desktop-file-utils shared-mime-info file)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
