#!/usr/bin/env bash
# Fails when a library includes a header of a library above it. Each folder may
# include only its own headers and those of the folders listed for it. A folder
# with a row of its own is a library of its own: its files are checked by its
# row, not by its parent's, and including them needs its name in the list.
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
  [ui/wav]="ui/wav platform"
  [ui/timer]="ui/timer"
  [ui/keyboard]="ui/keyboard"
  [ui/loader]="ui/loader machine cpu platform"
  [ui]="ui ui/wav ui/timer ui/keyboard ui/loader gfx/controls machine machine/disc cpu gfx platform platform_qt"
  [disc_manager]="disc_manager machine/disc platform platform_qt"
)
# Our folders, so that library headers (<QWidget>, <gtest/...>) are not taken for ours.
ours="cpu|platform|platform_qt|gfx|machine|ui|disc_manager|tests|bench|fuzz"

status=0
for folder in "${!allowed[@]}"; do
  [ -d "$folder" ] || continue
  prune=()
  for other in "${!allowed[@]}"; do
    case "$other" in "$folder"/*) prune+=(-path "$other" -prune -o) ;; esac
  done
  while IFS= read -r f; do
    while IFS= read -r inc; do
      # the folder the header belongs to: the longest row name it lies in
      owner=${inc%%/*}
      for other in "${!allowed[@]}"; do
        case "$inc" in "$other"/*) [ ${#other} -gt ${#owner} ] && owner=$other ;; esac
      done
      ok=0
      for a in ${allowed[$folder]}; do
        [ "$a" = "$owner" ] && ok=1
      done
      if [ $ok = 0 ]; then
        echo "$f includes \"$inc\": $folder may include only ${allowed[$folder]}"
        status=1
      fi
    done < <(sed -nE "s@^[[:space:]]*#[[:space:]]*include[[:space:]]*[\"<](($ours)/[^\">]*)[\">].*@\1@p" "$f")
  done < <(find "$folder" "${prune[@]}" \( -name '*.h' -o -name '*.cpp' \) -print)
done
exit $status
