#!/usr/bin/env bash
# check_package.sh BUILD_DIR VERSION: builds brenna_VERSION_ARCH.deb from the
# build folder with cpack into a folder of its own, then checks what a user's
# system would see: the files and where they go, the declared dependencies,
# the desktop entry (desktop-file-validate), the .экг type (update-mime-database
# and its signature), the manual pages, and brenna-cli run from the unpacked
# package. Exits 77 (skipped) when the Debian tools are missing.
set -euo pipefail
build=$1
version=$2
for tool in cpack dpkg-deb dpkg-shlibdeps desktop-file-validate update-mime-database; do
  if ! command -v "$tool" >/dev/null; then
    echo "skipped: $tool is missing (scripts/install-deps.sh installs it)"
    exit 77
  fi
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack"; }
arch=$(dpkg --print-architecture)
deb="$work/out/brenna_${version}_${arch}.deb"
[ -f "$deb" ] || { ls "$work/out"; fail "no $(basename "$deb")"; }

dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/files"
for path in /usr/bin/brenna /usr/bin/brenna-cli /usr/bin/brenna-sim \
            /usr/share/applications/brenna.desktop /usr/share/mime/packages/brenna.xml \
            /usr/share/icons/hicolor/48x48/apps/brenna.png /usr/share/icons/hicolor/256x256/apps/brenna.png \
            /usr/share/man/man1/brenna.1 /usr/share/man/man1/brenna-cli.1 /usr/share/man/man1/brenna-sim.1 \
            /usr/share/doc/brenna/README.md; do
  grep -qx "$path" "$work/files" || fail "$path is not in the package"
done
# Nothing of the build or the tests goes along.
if grep -E 'test_|bench_|write_app_icon|\.a$' "$work/files"; then fail "build leftovers in the package"; fi

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for library in libqt6widgets6 libqt6gui6 libqt6core6 libedf1 libfftw3-double3 libstdc++6; do
  grep -q "$library" <<<"$depends" || fail "Depends does not name $library"
done
[ "$(dpkg-deb -f "$deb" Package)" = brenna ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version"

dpkg-deb -x "$deb" "$work/root"
desktop=$work/root/usr/share/applications/brenna.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate"
grep -qx 'Exec=brenna --analyse %f' "$desktop" || fail "the desktop entry does not open files with --analyse"
grep -q '^Categories=.*MedicalSoftware' "$desktop" || fail "no medical category"
grep -qx 'MimeType=application/x-brenna-ecg;' "$desktop" || fail "the desktop entry does not take .экг files"

# The file type as the desktop sees it once the package is installed.
mkdir -p "$work/mime/packages"
cp "$work/root/usr/share/mime/packages/brenna.xml" "$work/mime/packages/"
XDG_DATA_HOME=$work update-mime-database "$work/mime" >/dev/null || fail "update-mime-database"
grep -qx 'application/x-brenna-ecg:\*\.экг' "$work/mime/globs" || fail "no *.экг glob"
# Magic: the recording signature 0xA73955AA stored little-endian at offset 0.
grep -aq "application/x-brenna-ecg" "$work/mime/magic" || fail "no magic entry"
od -An -tx1 "$work/mime/magic" | tr -d ' \n' | grep -q 'aa5539a7' || fail "the magic is not the recording signature"

for page in brenna brenna-cli brenna-sim; do
  man=$work/root/usr/share/man/man1/$page.1
  grep -q '^\.TH' "$man" || fail "$page.1 is no manual page"
done
grep -q 'an .экг file' "$work/root/usr/share/man/man1/brenna-cli.1" || fail "brenna-cli.1 lacks the commands or their Russian words"
grep -q 'settings\\-folder' "$work/root/usr/share/man/man1/brenna.1" || fail "brenna.1 lacks the options"

"$work/root/usr/bin/brenna-cli" help >"$work/help.txt" || fail "the unpacked brenna-cli help failed"
grep -q '^ *list' "$work/help.txt" || fail "the unpacked brenna-cli help lists no commands"
echo "package ok: $(basename "$deb"), $(wc -l <"$work/files") entries"
