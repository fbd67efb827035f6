#!/usr/bin/env bash
# The real program under Xvfb: its window at first start with a Spanish
# locale, a second instance leaving at once, Esc and what it wrote; the sample
# comic's first page on the screen; reading it with the keyboard in every
# mode and the navigation bar; a bookmark across two starts.
set -euo pipefail
tavelo=$1
muestra=$2
here=$(cd "$(dirname "$0")" && pwd)
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export TAVELO_HOME=$home TMPDIR=$home
ini=$home/tavelo.ini
# Each phase gets an X server of its own, kept up between clients (a server
# resetting as one viewer leaves refuses the next). It picks its display number
# itself (-displayfd), so runs side by side never race for the same one.
fase() {
  local numero=$home/display
  : > "$numero"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$numero" 2>/dev/null &
  local xvfb=$!
  for i in $(seq 1 100); do [ -s "$numero" ] && break; sleep 0.1; done
  [ -s "$numero" ] || { echo "no X server"; kill "$xvfb"; exit 1; }
  local estado=0
  DISPLAY=:$(head -n 1 "$numero") "$here/fases.sh" "$1" "$tavelo" "$muestra" "$home" || estado=$?
  kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null || true
  [ $estado -eq 0 ] || return $estado
  # An orderly exit leaves no lock behind in the temporary folder.
  if find "$home" -name '*.lock*' | grep .; then echo "lock file left after $1"; exit 1; fi
}

fase inicio
[ -f "$ini" ] || { echo "tavelo.ini not written"; exit 1; }
cat "$ini"
grep -qx 'Idioma=esp' "$ini"
grep -qx 'Color=0' "$ini"
grep -qx 'Barra=False' "$ini"
grep -qx 'uPath=' "$ini"

# The sample comic from the command line, as the README runs it.
rm -f "$ini"
fase comic
python3 "$here/../../tools/xwd2png.py" "$home/pantalla.xwd" "$home/pantalla.png"
# The sample's first page is warm paper with black frames, on a black screen.
python3 "$here/pixel.py" "$home/pantalla.png" 512 10 pagina
python3 "$here/pixel.py" "$home/pantalla.png" 100 400 fondo
grep -q '^uPath=.*Muestra.cbz$' "$ini"
grep -qx 'Marcador=1' "$ini"

fase leer
cat "$ini"
grep -qx 'Marcador=12' "$ini" || { echo "the bar's last-page button did not reach page 12"; exit 1; }
grep -qx 'Barra=True' "$ini"

fase marca
cat "$home/tavelo.tvl"
grep -q 'Muestra.cbz","5"' "$home/tavelo.tvl"
grep -qx 'Marcador=5' "$ini" || { echo "the bookmark list did not open page 5"; exit 1; }
echo "smoke test passed"
