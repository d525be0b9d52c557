#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package twice with scripts/package (dpkg-buildpackage), in two
# folders of different names and depths, and checks:
#   - the two .debs are the same bytes (diffoscope shows the first difference when
#     installed);
#   - lintian --pedantic --info reports nothing, hardening tags included;
#   - unpacked with dpkg -x: the programs run, the man pages, desktop entry
#     (desktop-file-validate), metainfo (appstreamcli validate --pedantic), file type,
#     icons, guide, changelog and copyright are in place.
#   package_test.sh SOURCE_DIR BUILD_DIR VERSION
# With ccache the second build, and the builds of later runs, reuse the compilations;
# the package in BUILD_DIR/package is kept for installing.
set -euo pipefail
source_dir=$1
build=$2
version=$3
scratch=$(mktemp -d)
fail() {
  echo "FAILED: $*" >&2
  exit 1
}

first=$build/package
second=$build/package-again/in/another/folder
trap 'rm -rf "$scratch" "$build/package-again"' EXIT
if command -v ccache >/dev/null; then
  export PNEUVISTA_COMPILER_LAUNCHER=ccache
  # Paths under the build folder are hashed as relative ones, so both builds (and the
  # next run's) share their compilations; system headers keep their absolute paths.
  export CCACHE_BASEDIR=$build
fi
SECONDS=0
deb=$("$source_dir/scripts/package" "$first") || fail "scripts/package into $first"
echo "first build: ${SECONDS} s"
SECONDS=0
again=$("$source_dir/scripts/package" "$second") || fail "scripts/package into $second"
echo "second build: ${SECONDS} s"
[[ $(basename "$deb") == "pneuvista_${version}_amd64.deb" ]] || fail "package named $(basename "$deb")"
if ! cmp -s "$deb" "$again"; then
  if command -v diffoscope >/dev/null; then diffoscope --text - "$deb" "$again" | head -40 >&2 || true; fi
  fail "two builds of one tree differ: $deb $again"
fi

# Every tag, pedantic and informational ones included, fails; the list is printed.
lintian --pedantic --info --display-experimental --tag-display-limit 0 "$deb" >"$scratch/lintian.log" 2>&1 || true
grep -v 'running with root privileges' "$scratch/lintian.log" | sed 's/^/lintian: /' || true
if grep -qE '^[EWIPX]: ' "$scratch/lintian.log"; then fail "lintian reports tags"; fi
echo "lintian --pedantic --info: no tags"

depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libqt6widgets6 libqt6serialport6 fonts-liberation2; do
  [[ $depends == *"$lib "* ]] || fail "Depends lacks $lib: $depends"
done

root=$scratch/root
dpkg -x "$deb" "$root"
usr=$root/usr
for program in pneuvista pneuvista-cli pneuvista-meter-sim; do
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$usr/bin/$program" --version) || fail "$program --version"
  [[ $out == "$program $version" ]] || fail "$program --version said '$out'"
  page=$usr/share/man/man1/$program.1.gz
  [[ -f $page ]] || fail "no man page $page"
  zcat "$page" | grep -q "^\.TH ${program^^} \"1\" .*\"$program $version\"" || fail "man page $page: $(zcat "$page" | head -3)"
  zcat "$page" | grep -q '^\.SH "SEE ALSO"' || fail "man page $page has no SEE ALSO"
done
# Every command of pneuvista-cli is in its man page's synopsis.
synopsis=$(zcat "$usr/share/man/man1/pneuvista-cli.1.gz" | sed -n '/^\.SH SYNOPSIS/,/^\.SH/p')
for command in info convert print record recover monitor ports; do
  grep -qw -- "$command" <<<"$synopsis" ||
    fail "the synopsis lacks $command: $synopsis"
done

desktop-file-validate "$usr/share/applications/pneuvista.desktop" || fail "desktop-file-validate"
metainfo=$usr/share/metainfo/org.example.pneuvista.metainfo.xml
appstreamcli validate --pedantic --no-net "$metainfo" || fail "appstreamcli validate --pedantic"
grep -q "<release version=\"$version\"" "$metainfo" || fail "metainfo has no release $version"
zcat "$usr/share/doc/pneuvista/changelog.gz" | head -1 | grep -q "^pneuvista ($version)" ||
  fail "changelog does not start with version $version"
grep -q "^License: GPL-3+" "$usr/share/doc/pneuvista/copyright" || fail "copyright names no GPL-3+"

# The file type resolves *.KvtDat (any case) to our type with its icon.
update-mime-database "$usr/share/mime" >"$scratch/mime.log" 2>&1 || { cat "$scratch/mime.log" >&2; fail "update-mime-database"; }
grep -qi '^[0-9]*:application/x-pneuvista-data:\*\.kvtdat' "$usr/share/mime/globs2" || fail "no glob in globs2"
[[ $(cat "$usr/share/mime/generic-icons" "$usr/share/mime/icons" 2>/dev/null) == *"application/x-pneuvista-data:application-x-pneuvista-data"* ]] ||
  fail "the file type names no icon"
for size in 16x16 32x32 48x48 64x64 128x128 256x256 scalable; do
  ls "$usr/share/icons/hicolor/$size/apps/pneuvista."* "$usr/share/icons/hicolor/$size/mimetypes/application-x-pneuvista-data."* \
    >/dev/null || fail "icons missing at $size"
done
[[ -f $usr/share/doc/pneuvista/docs/guide/index.html ]] || fail "no user guide"
echo "package checked: $(basename "$deb")"
