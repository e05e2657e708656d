#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Draws the application's images into res/ with ImageMagick's convert.
# The PNGs are committed; run this only after changing a drawing here.
#
#   tools/draw-images.sh [output-dir]
#
# Shapes are drawn at several times their size and scaled down, which gives
# smooth edges at icon sizes; the tiny dock icons are drawn pixel by pixel.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$here/res}
convert=${CONVERT:-convert}
mkdir -p "$out"

# No time stamps, so an unchanged drawing gives an unchanged file.
save() { # name  (reads the image from stdin)
    "$convert" - -strip -depth 8 -define png:exclude-chunks=date,time -define png:color-type=6 "$out/$1"
}

# Draws on a transparent canvas of size*scale and scales it to size.
# Usage: draw SIZE SCALE NAME convert-options...
draw() {
    local size=$1 scale=$2 name=$3; shift 3
    local big=$((size * scale))
    "$convert" -size "${big}x${big}" xc:none "$@" -resize "${size}x${size}" png:- | save "$name"
}

# --- Button icons: play triangle and stop square in three shades ----------
for shade in black:#1a1a1a white:#ffffff gray:#8c8c8c; do
    name=${shade%%:*} colour=${shade#*:}
    draw 32 8 "play-$name.png" -fill "$colour" -stroke "$colour" -strokewidth 16 \
        -draw "stroke-linejoin round polygon 72,48 208,128 72,208"
    draw 32 8 "stop-$name.png" -fill "$colour" \
        -draw "roundrectangle 56,56 200,200 20,20"
done

# --- Indicator balls: a lit green and an unlit grey sphere ----------------
ball() { # name light dark rim
    local name=$1 light=$2 dark=$3 rim=$4
    # The gradient is larger than the ball and cropped off-centre, so the
    # highlight sits up and to the left like a lamp shining on it.
    "$convert" -size 384x384 radial-gradient:"$light"-"$dark" -crop 256x256+92+92 +repage \
        \( -size 256x256 xc:black -fill white -draw "circle 128,128 128,12" \) \
        -alpha off -compose CopyOpacity -composite \
        -fill none -stroke "$rim" -strokewidth 6 -draw "circle 128,128 128,14" \
        \( -size 256x256 xc:none -fill "#ffffffa0" -draw "ellipse 96,78 44,28 0,360" -blur 0x10 \) \
        -compose Over -composite \
        -resize 32x32 png:- | save "$name"
}
ball bullet_ball_green.png "#b6ff9a" "#146b14" "#0c4a0c"
ball bullet_ball_grey.png "#f2f2f2" "#5c5c5c" "#444444"

# --- Warning: yellow triangle with an exclamation mark ---------------------
draw 64 8 warning.png \
    -fill "#ffcc00" -stroke "#3a2e00" -strokewidth 20 \
    -draw "stroke-linejoin round polygon 256,40 476,448 36,448" \
    -stroke none -fill "#1a1a1a" \
    -draw "roundrectangle 232,150 280,330 24,24" \
    -draw "circle 256,386 256,414"

# --- Dock float icons: two overlapping windows, drawn at pixel size --------
for shade in black:#202020 white:#f0f0f0; do
    name=${shade%%:*} colour=${shade#*:}
    # The front window hides the part of the back one it covers.
    "$convert" -size 16x16 xc:none +antialias -fill none -stroke "$colour" -strokewidth 1 \
        -draw "rectangle 5,1 14,9" -draw "line 6,2 13,2" \
        \( -size 16x16 xc:none -fill white -draw "rectangle 1,6 10,14" \) -compose DstOut -composite \
        -compose Over -fill none -draw "rectangle 1,6 10,14" -fill "$colour" -draw "rectangle 1,6 10,7" \
        png:- | save "float-$name.png"
done

# --- Application icon: a bench supply with a lightning bolt ----------------
"$convert" -size 1024x1024 xc:none \
    -fill "#1b3556" -draw "roundrectangle 72,152 951,911 96,96" \
    -fill "#2b5488" -draw "roundrectangle 96,176 927,887 80,80" \
    -fill "#0e1a2a" -draw "roundrectangle 160,240 864,600 40,40" \
    -fill "#ffb81c" -stroke "#c77d00" -strokewidth 10 \
    -draw "stroke-linejoin round polygon 560,262 352,450 486,450 430,580 672,372 532,372 600,262" \
    -stroke "#0e1a2a" -strokewidth 14 \
    -fill "#d9342b" -draw "circle 300,760 300,694" \
    -fill "#1a1a1a" -draw "circle 724,760 724,694" \
    -stroke none -fill "#f2f2f2" -draw "circle 300,760 300,736" -draw "circle 724,760 724,736" \
    -fill "#b6ff9a" -draw "circle 512,760 512,736" \
    -resize 256x256 png:- | save ampora.png
