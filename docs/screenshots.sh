#!/bin/bash
# Takes the screenshots of docs/ from the real program on a virtual X display, driving
# it with xdotool through the example dataset (needs xvfb, xdotool and imagemagick):
#   xvfb-run -a -s "-screen 0 1280x1024x24" env LC_ALL=fr_FR.UTF-8 docs/screenshots.sh [program]
# The program runs in a fresh folder holding a copy of the example, its files named
# there without any folder, so that no path of the machine shows in the pictures.
set -e
ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT=$ROOT/docs
PROGRAM=$(realpath "${1:-$ROOT/build/app/Geolago_2}")
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cp "$ROOT/examples/quartiers.txt" "$ROOT/examples/quartiers_noms.txt" "$WORK/"
cd "$WORK"

# Started on the point file, as ./run.sh does: its counts, "Oui", 10 cells and the names
# file are filled in.
"$PROGRAM" quartiers.txt &
APP=$!
sleep 3
W=$(xdotool search --onlyvisible --name "^Corr.+lograme$" | head -1)
xdotool windowfocus --sync $W
at() { xdotool mousemove --window $1 $2 $3 click 1; sleep 0.4; }
at $W 190 248
sleep 1
B=$(xdotool search --onlyvisible --name "^Geolago_2$" | head -1)
xdotool windowfocus --sync $B; xdotool key Return; sleep 0.5
xdotool windowfocus --sync $W
at $W 646 204
at $W 466 332
at $W 150 373; for i in 1 2 3 4; do xdotool key Down; done
at $W 466 368
sleep 0.5
import -window $W $OUT/main-window.png
at $W 720 528
sleep 1
R=$(xdotool search --onlyvisible --name "^Results$" | head -1)
xdotool windowraise $R; sleep 0.5
import -window $R $OUT/results.png
at $R 729 436
sleep 1
C=$(xdotool search --onlyvisible --name "Corr.+logrammes$" | head -1)
xdotool windowraise $C; sleep 0.3
at $C 348 580
sleep 0.5
# The permutation test, right of the axes: envelopes and the significant shifts.
at $C 769 516
sleep 1
import -window $C $OUT/chart.png
xdotool windowraise $W; sleep 0.3
at $W 720 412
sleep 1
H=$(xdotool search --onlyvisible --name "^Aide$" | head -1)
xdotool windowraise $H; sleep 0.3
import -window $H $OUT/help.png
kill $APP
