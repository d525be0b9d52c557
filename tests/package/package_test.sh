#!/usr/bin/env bash
# Packs the already built programs of a build folder with CPack, as scripts/package
# does, and checks the Debian package without installing it: unpacked with dpkg -x into
# a scratch folder, its programs run from there, its desktop entry, metainfo, file type
# and man pages are checked and lintian finds no error.
#   package_test.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

fail() {
  echo "FAILED: $*" >&2
  exit 1
}

(cd "$build" && cpack -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1) || { cat "$scratch/cpack.log" >&2; fail "cpack"; }
deb=$scratch/out/pneuvista_${version}_amd64.deb
[[ -f $deb ]] || fail "no $deb: $(ls "$scratch/out")"

# Dependencies come from dpkg-shlibdeps, not from a list kept by hand.
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libqt6widgets6 libqt6serialport6; do
  [[ $depends == *"$lib "* ]] || fail "Depends lacks $lib: $depends"
done

root=$scratch/root
dpkg -x "$deb" "$root"
usr=$root/usr
for program in pneuvista pneuvista-cli meter-sim; do
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$usr/bin/$program" --version) || fail "$program --version"
  [[ $out == "$program $version" ]] || fail "$program --version said '$out'"
  page=$usr/share/man/man1/$program.1.gz
  [[ -f $page ]] || fail "no man page $page"
  zcat "$page" | grep -q "^\.TH ${program^^} \"1\" .*\"$program $version\"" || fail "man page $page: $(zcat "$page" | head -3)"
done

desktop-file-validate "$usr/share/applications/pneuvista.desktop" || fail "desktop-file-validate"
metainfo=$usr/share/metainfo/org.example.pneuvista.metainfo.xml
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
grep -q "<release version=\"$version\"" "$metainfo" || fail "metainfo has no release $version"
zcat "$usr/share/doc/pneuvista/changelog.gz" | head -1 | grep -q "^pneuvista ($version)" ||
  fail "changelog does not start with version $version"

# The file type resolves *.KvtDat (any case) to our type with its icon.
update-mime-database "$usr/share/mime" >"$scratch/mime.log" 2>&1 || { cat "$scratch/mime.log" >&2; fail "update-mime-database"; }
grep -qi '^[0-9]*:application/x-pneuvista-data:\*\.kvtdat' "$usr/share/mime/globs2" || fail "no glob in globs2"
[[ $(cat "$usr/share/mime/generic-icons" "$usr/share/mime/icons" 2>/dev/null) == *"application/x-pneuvista-data:application-x-pneuvista-data"* ]] ||
  fail "the file type names no icon"
for size in 16x16 32x32 48x48 64x64 128x128 256x256 scalable; do
  ls "$usr/share/icons/hicolor/$size/apps/pneuvista."* "$usr/share/icons/hicolor/$size/mimetypes/application-x-pneuvista-data."* \
    >/dev/null || fail "icons missing at $size"
done
[[ -f $usr/share/doc/pneuvista/guide/index.html ]] || fail "no user guide"
[[ -f $usr/share/doc/pneuvista/copyright ]] || fail "no copyright file"

# Errors fail; warnings and notes are printed for a look.
status=0
lintian --fail-on error "$deb" >"$scratch/lintian.log" 2>&1 || status=$?
grep -v 'running with root privileges' "$scratch/lintian.log" || true
[[ $status -eq 0 ]] || fail "lintian reports errors"
echo "package checked: $(basename "$deb")"
