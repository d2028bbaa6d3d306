#!/usr/bin/env bash
# Fails when a library includes a header of a library above it. Each folder may
# include only its own headers and those of the folders listed for it.
set -u
root=${1:?source folder}
cd "$root" || exit 2

declare -A allowed=(
  [cpu]="cpu"
  [platform]="platform"
  [gfx]="gfx platform"
  [platform_qt]="platform_qt gfx platform"
  [gfx/controls]="gfx/controls gfx platform platform_qt"
  [machine/disc]="machine/disc platform"
  [machine]="machine machine/disc cpu gfx platform"
  [ui]="ui gfx/controls machine machine/disc cpu gfx platform platform_qt"
  [disc_manager]="disc_manager machine/disc platform platform_qt"
)
# Sub-folders that are libraries of their own: their parent's rule does not cover them.
subfolders="gfx/controls machine/disc"
# Our folders, so that library headers (<QWidget>, <gtest/...>) are not taken for ours.
ours="cpu|platform|platform_qt|gfx|machine|ui|disc_manager|tests|bench|fuzz"

# The library a header belongs to: its sub-folder library, else its top folder.
owner_of() {
  for s in $subfolders; do
    case "$1" in "$s"/*) echo "$s"; return ;; esac
  done
  echo "${1%%/*}"
}

status=0
for folder in cpu platform gfx platform_qt gfx/controls machine/disc machine ui disc_manager; do
  [ -d "$folder" ] || continue
  prune=()
  for s in $subfolders; do
    [ "${s%/*}" = "$folder" ] && prune+=(-path "$s" -prune -o)
  done
  files=$(find "$folder" "${prune[@]}" \( -name '*.h' -o -name '*.cpp' \) -print)
  for f in $files; do
    while IFS= read -r inc; do
      owner=$(owner_of "$inc")
      ok=0
      for a in ${allowed[$folder]}; do
        [ "$a" = "$owner" ] && ok=1
      done
      if [ $ok = 0 ]; then
        echo "$f includes \"$inc\": $folder may include only ${allowed[$folder]}"
        status=1
      fi
    done < <(sed -nE "s@^[[:space:]]*#[[:space:]]*include[[:space:]]*[\"<](($ours)/[^\">]*)[\">].*@\1@p" "$f")
  done
done
exit $status
