#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The committed PNG icons are the renderings of their SVG drawings: an SVG changed
# without running packaging/render-icons leaves the PNG sizes showing the old picture.
#   icons_test.sh SOURCE_DIR
set -euo pipefail
icons=$1/packaging/icons/hicolor
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/hicolor"
cp -r "$icons/scalable" "$scratch/hicolor/"
"$1/packaging/render-icons" "$scratch/hicolor"
status=0
count=0
for fresh in "$scratch"/hicolor/*x*/*/*.png; do
  committed=$icons/${fresh#"$scratch/hicolor/"}
  count=$((count + 1))
  if [[ ! -f $committed ]]; then
    echo "missing: $committed" >&2
    status=1
    continue
  fi
  # A different librsvg may shade an edge pixel differently; a changed drawing moves many.
  differing=$(compare -metric AE -fuzz 10% "$committed" "$fresh" null: 2>&1) || true
  if [[ ! $differing =~ ^[0-9]+$ ]] || ((differing > 4)); then
    echo "out of date: $committed ($differing pixels differ from the SVG's rendering)" >&2
    status=1
  fi
done
echo "$count icon sizes compared" >&2
exit $status
