#!/usr/bin/env bash
# One phase of the smoke test, run inside an X server: fases.sh PHASE TAVELO SAMPLE HOME
set -euo pipefail
fase=$1 tavelo=$2 muestra=$3 home=$4

# Starts the viewer with the given arguments and waits for its window.
arrancar() {
  "$tavelo" "$@" & pid=$!
  for i in $(seq 1 100); do
    xdotool search --name '^Tavelo$' >/dev/null 2>&1 && break
    sleep 0.1
  done
  win=$(xdotool search --name '^Tavelo$' | head -n 1)
  [ -n "$win" ] || { echo "no window"; exit 1; }
  sleep 1
  xdotool windowfocus --sync "$win"
}

# Esc (in the given window, else the viewer's), and the process must end.
terminar() {
  xdotool windowfocus --sync "${1:-$win}" key Escape
  for i in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then echo "still running after Esc"; kill "$pid"; exit 1; fi
}

case $fase in
inicio)
  export LANG=es_ES.UTF-8 LC_ALL=es_ES.UTF-8
  arrancar
  geom=$(xwininfo -id "$win" | grep -E 'Width|Height' | tr -s ' ' | cut -d' ' -f3 | tr '\n' 'x')
  echo "window $win $geom"
  [ "$geom" = "1024x768x" ] || { echo "not full screen"; exit 1; }
  # A second instance ends at once and writes nothing.
  timeout 10 "$tavelo"; echo "second instance ended"
  [ ! -e "$home/tavelo.ini" ] || { echo "written before exit"; exit 1; }
  # Nothing to reopen: the help is shown, and Esc there ends the viewer too.
  info=$(xdotool search --name '^Pantalla de informaci' | head -n 1)
  [ -n "$info" ] || { echo "no help window at the first start"; exit 1; }
  terminar "$info"
  ;;
comic)
  arrancar "$muestra"
  sleep 1
  xwd -root -silent > "$home/pantalla.xwd"
  terminar
  ;;
leer)
  # To the end and back with the keyboard in every display mode, then the
  # navigation bar's last-page button with the mouse.
  arrancar "$muestra"
  for modo in 1 2 3 4 5 6 8 7; do
    xdotool key --delay 30 $modo
    for i in $(seq 1 11); do xdotool key --delay 20 space; done
    for i in $(seq 1 11); do xdotool key --delay 20 BackSpace; done
    xdotool key 7
  done
  xdotool key --delay 50 1 b
  sleep 0.5
  xdotool mousemove 381 745 click 1
  sleep 0.5
  terminar
  ;;
marca)
  # M on page 5, leave on page 8; start again (the resume opens page 8),
  # L, Enter: the bookmark's page.
  arrancar "$muestra"
  xdotool key --delay 80 space space space space m space space space
  terminar
  arrancar
  xdotool key --delay 200 l Return
  sleep 0.5
  terminar
  ;;
esac
