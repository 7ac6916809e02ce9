#!/usr/bin/env bash
# Renders the game's seven pictures into this folder:
#   intro.bmp, menu.bmp, item.bmp  480x272 full-window screens
#   NULL.bmp                       90x90 empty board cell
#   win1.bmp, win2.bmp, DRAW.bmp   150x60 result plates shown under the mouse pointer
#   icons/SIZE.png                 the application icon at 48, 128, 192, 256 and 512 pixels
#                                  square, and maskable-512.png for home screens
#   icons/32.bmp                   the same icon on a plain ground, built into the game as
#                                  its window icon
# ImageMagick draws each picture with the DejaVu fonts and hands it over as PPM;
# write_bmp32.py stores it as a 32-bit BI_RGB bitmap, the display's own pixel layout.
# Nothing random goes in, so a rerun gives byte-identical files.
# Needs the Debian packages imagemagick, fonts-dejavu-core and python3.
# The drawing helpers append to the caller's argument array through a nameref, which
# the linter takes for a string.
# shellcheck disable=SC2178
set -euo pipefail

cd "$(dirname "$0")"

die() {
    echo "make-pictures.sh: $*" >&2
    exit 1
}

command -v convert >/dev/null || die "convert not found: install the Debian package imagemagick"
convert -version | grep -q ImageMagick || die "convert is not ImageMagick's: install imagemagick"
command -v python3 >/dev/null || die "python3 not found: install the Debian package python3"

FONTS=/usr/share/fonts/truetype/dejavu
SANS=$FONTS/DejaVuSans.ttf
BOLD=$FONTS/DejaVuSans-Bold.ttf
for font in "$SANS" "$BOLD"; do
    [[ -f $font ]] || die "$font not found: install the Debian package fonts-dejavu-core"
done

# Palette: night-blue ground, teal rings, coral crosses, gold for the draw.
BG_HI='#1e2d52'
BG_LO='#070b17'
GRID='#16223f'
CARD='#111a31'
CARD_EDGE='#34487a'
TEXT='#f2f5fb'
DIM='#9fb0cf'
RING='#4dd6c8'
CROSS='#ff7a59'
GOLD='#f5c451'
KEY_FILL='#e6ebf5'
KEY_TEXT='#0d1426'

# The window's size. PIC_W and PIC_H hold the size of the picture being drawn: ImageMagick
# places gravity-aligned text relative to the picture's centre, and text() converts from that.
W=480
H=272

# Appends to the array named by $1 the arguments that draw text.
# text ARRAY FONT SIZE COLOUR GRAVITY X Y STRING   (X, Y in picture pixels, the text's centre
# for gravity Center, its left edge and vertical centre for gravity West)
text() {
    local -n into=$1
    local font=$2 size=$3 colour=$4 gravity=$5 x=$6 y=$7 string=$8
    local dx=$x
    [[ $gravity == Center ]] && dx=$((x - PIC_W / 2))
    into+=(-font "$font" -pointsize "$size" -fill "$colour" -stroke none -gravity "$gravity"
        -annotate "$(printf '%+d%+d' "$dx" $((y - PIC_H / 2)))" "$string")
}

# ring ARRAY CX CY RADIUS STROKE COLOUR
ring() {
    local -n into=$1
    into+=(-fill none -stroke "$6" -strokewidth "$5"
        -draw "circle $2,$3 $(($2 + $4)),$3")
}

# cross ARRAY CX CY HALF STROKE COLOUR
cross() {
    local -n into=$1
    local cx=$2 cy=$3 d=$4
    into+=(-fill none -stroke "$6" -strokewidth "$5"
        -draw "line $((cx - d)),$((cy - d)) $((cx + d)),$((cy + d))"
        -draw "line $((cx + d)),$((cy - d)) $((cx - d)),$((cy + d))")
}

# A light keycap centred on (CX, CY) with its label in bold.
# keycap ARRAY CX CY WIDTH HEIGHT SIZE LABEL
keycap() {
    local -n into=$1
    local cx=$2 cy=$3 w=$4 h=$5
    into+=(-fill '#56627e' -stroke none
        -draw "roundrectangle $((cx - w / 2)),$((cy - h / 2 + 2)) $((cx + w / 2)),$((cy + h / 2 + 2)) 4,4"
        -fill "$KEY_FILL" -stroke '#b9c3d8' -strokewidth 1
        -draw "roundrectangle $((cx - w / 2)),$((cy - h / 2)) $((cx + w / 2)),$((cy + h / 2)) 4,4")
    text "$1" "$BOLD" "$6" "$KEY_TEXT" Center "$cx" "$cy" "$7"
}

# The night-blue ground with a faint oversized board behind everything.
ground() {
    local -n into=$1
    into+=(-size "${W}x${H}" "radial-gradient:$BG_HI-$BG_LO"
        -fill none -stroke "$GRID" -strokewidth 3
        -draw "line 180,-10 180,282" -draw "line 300,-10 300,282"
        -draw "line -10,91 490,91" -draw "line -10,181 490,181")
}

# render OUTPUT.bmp CONVERT-ARGUMENTS...
render() {
    local file=$1
    shift
    convert "$@" -alpha off -depth 8 ppm:- | python3 write_bmp32.py "$file"
    echo "wrote $file"
}

make_intro() {
    PIC_W=$W PIC_H=$H
    local a=()
    ground a
    # Three marks in a row above the title: the game in one glance.
    ring a 196 52 13 4 "$RING"
    cross a 240 52 11 4 "$CROSS"
    ring a 284 52 13 4 "$RING"
    text a "$BOLD" 38 '#02040a' Center 242 108 "Noughts & Crosses"
    text a "$BOLD" 38 "$TEXT" Center 240 106 "Noughts & Crosses"
    a+=(-stroke "$RING" -strokewidth 2 -draw "line 150,136 236,136"
        -stroke "$CROSS" -draw "line 244,136 330,136")
    text a "$SANS" 16 "$DIM" Center 240 160 "Two players, one mouse"
    keycap a 148 222 76 26 13 SPACE
    text a "$SANS" 15 "$TEXT" West 196 222 start
    keycap a 298 222 52 26 13 ESC
    text a "$SANS" 15 "$TEXT" West 334 222 quit
    render intro.bmp "${a[@]}"
}

make_menu() {
    PIC_W=$W PIC_H=$H
    local a=()
    ground a
    text a "$BOLD" 18 "$DIM" Center 240 30 "Noughts & Crosses"
    a+=(-fill "$CARD" -stroke "$CARD_EDGE" -strokewidth 1
        -draw "roundrectangle 110,58 370,236 10,10")
    text a "$BOLD" 20 "$TEXT" Center 240 84 "New game"
    a+=(-stroke "$CARD_EDGE" -draw "line 130,104 350,104")
    keycap a 180 134 76 28 13 SPACE
    text a "$BOLD" 18 "$TEXT" West 232 134 "Play"
    keycap a 180 176 76 28 13 ESC
    text a "$SANS" 16 "$TEXT" West 232 176 "Back"
    ring a 182 214 6 2 "$RING"
    text a "$SANS" 13 "$DIM" West 196 214 "Rings move first"
    render menu.bmp "${a[@]}"
}

make_item() {
    PIC_W=$W PIC_H=$H
    local a=()
    ground a
    a+=(-fill "$CARD" -stroke "$CARD_EDGE" -strokewidth 1
        -draw "roundrectangle 10,10 469,261 10,10")
    text a "$BOLD" 20 "$TEXT" Center 240 30 "How to play"
    a+=(-stroke "$CARD_EDGE" -draw "line 24,48 455,48" -draw "line 234,58 234,222")

    text a "$BOLD" 12 "$RING" West 24 64 "RULES"
    local y=88 line
    for line in "Two players take turns." "Rings move first." \
        "Three in a row wins: a column," "   a row or a diagonal." \
        "A full board without a line" "   is a draw."; do
        if [[ $line != " "* ]]; then
            a+=(-fill "$DIM" -stroke none -draw "circle 28,$y 30,$y")
        fi
        text a "$SANS" 12 "$TEXT" West 36 "$y" "${line#   }"
        y=$((y + 20))
    done

    text a "$BOLD" 12 "$CROSS" West 248 64 "CONTROLS"
    local row label
    y=90
    for row in "Left click:place a mark" "Wheel:resize the board" "i:this help" \
        "Esc:back to the game"; do
        label=${row%%:*}
        keycap a 282 "$y" 68 20 11 "$label"
        text a "$SANS" 12 "$TEXT" West 324 "$y" "${row#*:}"
        y=$((y + 28))
    done
    text a "$SANS" 11 "$DIM" West 248 "$((y - 4))" "In the game, Esc goes to the menu."

    a+=(-stroke "$CARD_EDGE" -draw "line 24,232 455,232")
    text a "$SANS" 13 "$DIM" Center 240 246 "Press Esc to return to the game"
    render item.bmp "${a[@]}"
}

# The empty cell: a quiet slate tile, lit from the top left, with nothing light enough to
# compete with the white marks and frame the game draws over it. The outermost pixels are
# left plain because the frame covers them.
make_null() {
    render NULL.bmp -size 90x90 'radial-gradient:#34466c-#26344f' \
        -fill none -strokewidth 1 \
        -stroke '#3f5380' -draw "line 1,1 88,1" -draw "line 1,1 1,88" \
        -stroke '#1b253b' -draw "line 1,88 88,88" -draw "line 88,1 88,88" \
        -stroke '#2f3f61' -draw "line 2,2 87,2" -draw "line 2,2 2,87" \
        -stroke '#212d47' -draw "line 2,87 87,87" -draw "line 87,2 87,87"
}

# A result plate: gradient card, accent border, the title and three marks in a row.
# plate OUTPUT ACCENT TITLE MARK MARK MARK
plate() {
    PIC_W=150 PIC_H=60
    local file=$1 accent=$2 title=$3 a=() x=55 mark
    shift 3
    a+=(-size "${PIC_W}x${PIC_H}" "gradient:#23325a-#0d1528"
        -fill none -stroke "$accent" -strokewidth 1 -draw "rectangle 0,0 149,59"
        -stroke '#05080f' -draw "rectangle 1,1 148,58")
    text a "$BOLD" 18 "$TEXT" Center 75 22 "$title"
    for mark in "$@"; do
        case $mark in
            O) ring a "$x" 45 6 2 "$RING" ;;
            X) cross a "$x" 45 5 2 "$CROSS" ;;
        esac
        x=$((x + 20))
    done
    render "$file" "${a[@]}"
}

# The application icon: a rounded night-blue tile with the board's grid, a ring and a cross,
# drawn once at 256 pixels and scaled down, as PNG with transparent corners. Dates and other
# metadata are left out so a rerun gives byte-identical files.
# icon_art ARRAY: the grid and the marks, in the 256-pixel tile's coordinates.
icon_art() {
    local -n into=$1
    into+=(-fill none -stroke "$CARD_EDGE" -strokewidth 6
        -draw "line 99,40 99,216" -draw "line 157,40 157,216"
        -draw "line 40,99 216,99" -draw "line 40,157 216,157")
    ring "$1" 70 70 19 9 "$RING"
    cross "$1" 128 128 17 9 "$CROSS"
    ring "$1" 186 186 19 9 "$RING"
}

write_png() {
    convert "${@:2}" -strip -define png:exclude-chunks=date,time "PNG32:icons/$1.png"
    echo "wrote icons/$1.png"
}

make_icons() {
    local a=() big=() maskable=() size
    mkdir -p icons
    a+=(-size 256x256 "radial-gradient:$BG_HI-$BG_LO"
        \( -size 256x256 xc:none -fill white -draw "roundrectangle 8,8 247,247 40,40" \)
        -compose DstIn -composite -compose Over)
    icon_art a
    for size in 256 128 48; do
        write_png "$size" "${a[@]}" -resize "${size}x${size}"
    done
    render icons/32.bmp "${a[@]}" -resize 32x32 -background "$BG_LO" -flatten
    # A home screen's sizes, drawn at 512 pixels rather than enlarged.
    big+=(-size 512x512 "radial-gradient:$BG_HI-$BG_LO"
        \( -size 512x512 xc:none -fill white -draw "roundrectangle 16,16 495,495 80,80" \)
        -compose DstIn -composite -compose Over -affine "2,0,0,2,0,0")
    icon_art big
    write_png 512 "${big[@]}"
    write_png 192 "${big[@]}" -resize 192x192
    # For a home screen that cuts its own shape: ground to the edges, and the board within the
    # middle circle of 80% that every shape keeps.
    maskable+=(-size 512x512 "radial-gradient:$BG_HI-$BG_LO" -affine "1.5,0,0,1.5,64,64")
    icon_art maskable
    write_png maskable-512 "${maskable[@]}"
}

make_intro
make_menu
make_item
make_null
plate win1.bmp "$RING" "Rings win!" O O O
plate win2.bmp "$CROSS" "Crosses win!" X X X
plate DRAW.bmp "$GOLD" "Draw!" O X O
make_icons
