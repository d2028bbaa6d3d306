#!/bin/bash
# Draws the main window's tool-bar pictures (32 x 32, transparent) with
# ImageMagick. The PNG files are kept in the repository; run this again after
# changing a picture here.
set -eu
cd "$(dirname "$0")"
icon() { # name, then the drawing options
    local name=$1
    shift
    convert -size 32x32 xc:none "$@" -strip "PNG32:$name.png"
}

# Reboot: a power symbol.
icon ipl -fill none -stroke '#1b7a1b' -strokewidth 3 -draw 'arc 5,6 27,28 -55,235' \
    -draw 'line 16,2 16,15'
# Interrupt: a lightning bolt.
icon nmi -fill '#f5c400' -stroke '#7a5a00' -strokewidth 1 \
    -draw 'polygon 19,1 6,18 14,18 10,31 26,12 17,12 23,1'
# Tape: a cassette with its two reels.
icon tape -fill '#404040' -stroke '#202020' -strokewidth 1 -draw 'roundrectangle 1,6 30,26 3,3' \
    -fill '#e8e0c8' -stroke none -draw 'rectangle 4,9 27,19' \
    -fill '#404040' -draw 'circle 10,14 10,17' -draw 'circle 21,14 21,17' \
    -fill '#e8e0c8' -draw 'circle 10,14 10,15' -draw 'circle 21,14 21,15' \
    -fill '#808080' -draw 'polygon 8,26 10,21 21,21 23,26'
# Floppy: a disc with its shutter and label.
icon disk -fill '#2050a0' -stroke '#102850' -strokewidth 1 -draw 'polygon 3,3 26,3 29,6 29,29 3,29' \
    -stroke none -fill '#c8c8c8' -draw 'rectangle 9,3 22,12' -fill '#2050a0' -draw 'rectangle 18,5 20,10' \
    -fill white -draw 'rectangle 7,17 25,29' -stroke '#a0a0a0' -draw 'line 9,21 23,21' -draw 'line 9,25 23,25'
# Configuration: three sliders.
icon config -stroke '#505050' -strokewidth 3 -draw 'line 3,7 29,7' -draw 'line 3,16 29,16' \
    -draw 'line 3,25 29,25' -stroke '#102850' -strokewidth 1 -fill '#3070d0' \
    -draw 'rectangle 19,3 24,11' -draw 'rectangle 7,12 12,20' -draw 'rectangle 14,21 19,29'
# Debugger: a beetle.
icon debug -stroke '#303030' -strokewidth 2 -fill none \
    -draw 'line 6,12 26,22' -draw 'line 26,12 6,22' -draw 'line 4,17 28,17' \
    -draw 'line 13,6 9,2' -draw 'line 19,6 23,2' \
    -stroke '#202020' -strokewidth 1 -fill '#303030' -draw 'circle 16,8 16,12' \
    -fill '#c03020' -draw 'ellipse 16,19 7,10 0,360' -stroke '#202020' -draw 'line 16,10 16,29'
# I/O monitor: a panel of lamps.
icon iomon -fill '#303030' -stroke '#101010' -strokewidth 1 -draw 'roundrectangle 1,5 30,27 3,3' \
    -stroke none -fill '#ff2020' -draw 'circle 7,11 7,13' -draw 'circle 19,11 19,13' \
    -draw 'circle 13,21 13,23' -fill '#3050ff' -draw 'circle 13,11 13,13' -draw 'circle 7,21 7,23' \
    -draw 'circle 25,21 25,23' -fill '#a0a0a0' -draw 'circle 25,11 25,13' -draw 'circle 19,21 19,23'
# About: an "i" in a blue disc.
icon about -fill '#2060c0' -stroke '#103060' -strokewidth 1 -draw 'circle 16,16 16,2' \
    -fill white -stroke none -draw 'circle 16,9 16,11' -draw 'rectangle 14,14 18,25' \
    -draw 'rectangle 12,14 15,16' -draw 'rectangle 12,23 20,25'
# Quit: a white cross in a red disc.
icon quit -fill '#d02020' -stroke '#701010' -strokewidth 1 -draw 'circle 16,16 16,2' \
    -stroke white -strokewidth 4 -draw 'line 10,10 22,22' -draw 'line 22,10 10,22'
