#!/usr/bin/env bash
# What `cmake --install` and the Debian package put in place: every file, the
# desktop entry and AppStream metadata through their validators, the package's
# contents, and lintian without errors. Packages the build tree it is given
# (nothing is rebuilt that is up to date).
#
# Usage: check_install.sh BUILD_FOLDER
set -euo pipefail

readonly build=$(realpath "$1")
work=$(mktemp -d /tmp/tessaro-dist-XXXXXX)
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

readonly installed=(
  bin/tessaro
  bin/tessaro-check
  share/applications/tessaro.desktop
  share/metainfo/ru.tessaro.Tessaro.metainfo.xml
  share/man/man1/tessaro.1.gz
  share/man/man1/tessaro-check.1.gz
  share/icons/hicolor/scalable/apps/tessaro.svg
  share/doc/tessaro/copyright
  share/doc/tessaro/changelog.gz
)
readonly icon_sizes=(16 22 24 32 48 64 128 256)

cmake --install "$build" --prefix "$work/prefix" >/dev/null
for file in "${installed[@]}"; do
  [[ -s $work/prefix/$file ]] || fail "not installed: $file"
done
for size in "${icon_sizes[@]}"; do
  icon=$work/prefix/share/icons/hicolor/${size}x$size/apps/tessaro.png
  [[ $(identify -format '%wx%h' "$icon" 2>/dev/null) == "${size}x$size" ]] || fail "icon $icon is not ${size}x$size"
done
[[ -x $work/prefix/bin/tessaro && -x $work/prefix/bin/tessaro-check ]] || fail "programs are not executable"

desktop-file-validate "$work/prefix/share/applications/tessaro.desktop"
appstreamcli validate --no-net "$work/prefix/share/metainfo/ru.tessaro.Tessaro.metainfo.xml"
for page in tessaro tessaro-check; do
  warnings=$(man --warnings -l "$work/prefix/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
  [[ -z $warnings ]] || fail "$page.1: $warnings"
done

(cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log") ||
  { cat "$work/cpack.log"; fail "cpack failed"; }
deb=$(echo "$work"/package/tessaro_*_amd64.deb)
[[ -f $deb ]] || fail "no tessaro_<version>_amd64.deb in $(ls "$work/package")"

contents=$(dpkg-deb --contents "$deb")
for file in "${installed[@]}"; do
  grep -q " \./usr/$file\$" <<<"$contents" || fail "not in the package: /usr/$file"
done
grep -q '^Depends:.*libqt6widgets6' <(dpkg-deb --field "$deb") || fail "Depends does not come from the binaries"

lintian --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 || true
cat "$work/lintian.log"
! grep -q '^E: ' "$work/lintian.log" || fail "lintian reports errors"
