#!/usr/bin/env bash
# Packs a folder into a zip that comes out byte-identical on every machine: the folder itself as
# the zip's one top entry, members in byte order, every time SOURCE_DATE_EPOCH (in UTC: zip keeps
# local time), modes 0644 for files and 0755 for folders, and no uid, gid or extra time fields.
# Usage: SOURCE_DATE_EPOCH=SECONDS reproducible-zip.sh OUT.zip FOLDER
set -euo pipefail

if [[ $# -ne 2 || ! -d $2 || ! ${SOURCE_DATE_EPOCH:-} =~ ^[0-9]+$ ]]; then
    echo "usage: SOURCE_DATE_EPOCH=SECONDS tools/release/reproducible-zip.sh OUT.zip FOLDER" >&2
    exit 2
fi
out=$(realpath -m -- "$1")
parent=$(dirname -- "$(realpath -- "$2")")
name=$(basename -- "$(realpath -- "$2")")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A copy, so the caller's files keep their own times and modes.
cp -R "$parent/$name" "$work/$name"
cd "$work"
find "$name" -type d -exec chmod 0755 {} +
find "$name" ! -type d -exec chmod 0644 {} +
find "$name" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
rm -f "$out"
find "$name" | LC_ALL=C sort | TZ=UTC zip -q -X -@ "$out"
