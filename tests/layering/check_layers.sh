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
  [machine/disc]="machine/disc platform"
  [machine]="machine cpu gfx platform"
  [ui/timer]="ui/timer"
  [ui/keyboard]="ui/keyboard"
  [ui]="ui machine cpu gfx platform platform_qt"
  [disc_manager]="disc_manager machine/disc platform platform_qt"
)
# Our folders, so that library headers (<QWidget>, <gtest/...>) are not taken for ours.
ours="cpu|platform|platform_qt|gfx|machine|ui|disc_manager|tests|bench|fuzz"

status=0
folders="cpu platform gfx platform_qt machine/disc machine ui/timer ui/keyboard ui disc_manager"
for folder in $folders; do
  [ -d "$folder" ] || continue
  # A sub-folder with a rule of its own is checked by that rule.
  prune=()
  for sub in $folders; do
    case "$sub" in "$folder"/*) prune+=(-path "$sub" -prune -o) ;; esac
  done
  files=$(find "$folder" "${prune[@]}" \( -name '*.h' -o -name '*.cpp' \) -print)
  for f in $files; do
    while IFS= read -r inc; do
      ok=0
      for a in ${allowed[$folder]}; do
        case "$inc" in "$a"/*) ok=1 ;; esac
      done
      # machine may use the disc images of its own sub-folder
      [ "$folder" = machine ] && case "$inc" in machine/disc/*) ok=1 ;; esac
      if [ $ok = 0 ]; then
        echo "$f includes \"$inc\": $folder may include only ${allowed[$folder]}"
        status=1
      fi
    done < <(sed -nE "s@^[[:space:]]*#[[:space:]]*include[[:space:]]*[\"<](($ours)/[^\">]*)[\">].*@\1@p" "$f")
  done
done
exit $status
