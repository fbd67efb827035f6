#!/usr/bin/env bash
# Starts the real program under Xvfb with no settings and a Spanish locale,
# checks that its window is up, that a second instance leaves at once, that
# Esc ends it, and what it wrote; then opens the sample comic from the
# command line and checks that its first page is on the screen.
set -euo pipefail
tavelo=$1
muestra=$2
here=$(cd "$(dirname "$0")" && pwd)
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export TAVELO_HOME=$home TMPDIR=$home

cat > "$home/run.sh" <<INNER
#!/usr/bin/env bash
set -euo pipefail
env LANG=es_ES.UTF-8 LC_ALL=es_ES.UTF-8 "$tavelo" & pid=\$!
for i in \$(seq 1 100); do
  xdotool search --name '^Tavelo\$' >/dev/null 2>&1 && break
  sleep 0.1
done
win=\$(xdotool search --name '^Tavelo\$' | head -n 1)
[ -n "\$win" ] || { echo "no window"; exit 1; }
for i in \$(seq 1 50); do
  geom=\$(xwininfo -id "\$win" | grep -E 'Width|Height' | tr -s ' ' | cut -d' ' -f3 | tr '\n' 'x')
  [ "\$geom" = "1024x768x" ] && break
  sleep 0.1
done
echo "window \$win \$geom"
[ "\$geom" = "1024x768x" ] || { echo "not full screen"; exit 1; }
# A second instance ends at once and writes nothing.
timeout 10 "$tavelo"; echo "second instance ended"
[ ! -e "$home/tavelo.ini" ] || { echo "written before exit"; exit 1; }
xdotool windowfocus --sync "\$win" key Escape
for i in \$(seq 1 50); do kill -0 \$pid 2>/dev/null || break; sleep 0.1; done
if kill -0 \$pid 2>/dev/null; then echo "still running after Esc"; kill \$pid; exit 1; fi
INNER
chmod +x "$home/run.sh"
xvfb-run -a -s "-screen 0 1024x768x24" "$home/run.sh"

ini=$home/tavelo.ini
[ -f "$ini" ] || { echo "tavelo.ini not written"; exit 1; }
cat "$ini"
grep -qx 'Idioma=esp' "$ini"
grep -qx 'Color=0' "$ini"
grep -qx 'Barra=False' "$ini"
grep -qx 'uPath=' "$ini"

# Second start: the sample comic from the command line, as the README runs it.
rm -f "$home/tavelo.ini"
cat > "$home/comic.sh" <<INNER
#!/usr/bin/env bash
set -euo pipefail
"$tavelo" "$muestra" & pid=\$!
for i in \$(seq 1 100); do
  xdotool search --name '^Tavelo\$' >/dev/null 2>&1 && break
  sleep 0.1
done
sleep 2
xwd -root -silent > "$home/pantalla.xwd"
win=\$(xdotool search --name '^Tavelo\$' | head -n 1)
xdotool windowfocus --sync "\$win" key Escape
for i in \$(seq 1 50); do kill -0 \$pid 2>/dev/null || break; sleep 0.1; done
if kill -0 \$pid 2>/dev/null; then kill \$pid; exit 1; fi
INNER
chmod +x "$home/comic.sh"
xvfb-run -a -s "-screen 0 1024x768x24" "$home/comic.sh"
python3 "$here/../../tools/xwd2png.py" "$home/pantalla.xwd" "$home/pantalla.png"
# The sample's first page is warm paper with black frames, on a black screen.
python3 "$here/pixel.py" "$home/pantalla.png" 512 10 pagina
python3 "$here/pixel.py" "$home/pantalla.png" 100 400 fondo
grep -q '^uPath=.*Muestra.cbz$' "$home/tavelo.ini"
grep -qx 'Marcador=1' "$home/tavelo.ini"

# Third start: read the comic to the end and back with the keyboard in every
# display mode, then jump to the last page with the navigation bar's button.
cat > "$home/leer.sh" <<INNER
#!/usr/bin/env bash
set -euo pipefail
"$tavelo" "$muestra" & pid=\$!
for i in \$(seq 1 100); do
  xdotool search --name '^Tavelo\$' >/dev/null 2>&1 && break
  sleep 0.1
done
sleep 1
win=\$(xdotool search --name '^Tavelo\$' | head -n 1)
xdotool windowfocus --sync "\$win"
for modo in 1 2 3 4 5 6 8 7; do
  xdotool key --delay 30 \$modo
  for i in \$(seq 1 11); do xdotool key --delay 20 space; done
  for i in \$(seq 1 11); do xdotool key --delay 20 BackSpace; done
  xdotool key 7 2>/dev/null || true
done
xdotool key --delay 50 1 b
sleep 0.5
xwd -root -silent > "$home/barra.xwd"
xdotool mousemove 381 745 click 1
sleep 0.5
xdotool key Escape
for i in \$(seq 1 50); do kill -0 \$pid 2>/dev/null || break; sleep 0.1; done
if kill -0 \$pid 2>/dev/null; then kill \$pid; exit 1; fi
INNER
chmod +x "$home/leer.sh"
xvfb-run -a -s "-screen 0 1024x768x24" "$home/leer.sh"
cat "$home/tavelo.ini"
grep -qx 'Marcador=12' "$home/tavelo.ini" || { echo "the bar's last-page button did not reach page 12"; exit 1; }
grep -qx 'Barra=True' "$home/tavelo.ini"

# Bookmarks across starts: M on page 5, leave on page 8; start again (the
# resume opens page 8), L, Enter: the bookmark's page 5.
cat > "$home/marca.sh" <<INNER
#!/usr/bin/env bash
set -euo pipefail
arrancar() {
  "$tavelo" "\$@" & pid=\$!
  for i in \$(seq 1 100); do
    xdotool search --name '^Tavelo\$' >/dev/null 2>&1 && break
    sleep 0.1
  done
  sleep 1
  win=\$(xdotool search --name '^Tavelo\$' | head -n 1)
  xdotool windowfocus --sync "\$win"
}
terminar() {
  xdotool key Escape
  for i in \$(seq 1 50); do kill -0 \$pid 2>/dev/null || break; sleep 0.1; done
  if kill -0 \$pid 2>/dev/null; then kill \$pid; exit 1; fi
}
arrancar "$muestra"
xdotool key --delay 80 space space space space m space space space
terminar
arrancar
xdotool key --delay 200 l Return
sleep 0.5
terminar
INNER
chmod +x "$home/marca.sh"
xvfb-run -a -s "-screen 0 1024x768x24" "$home/marca.sh"
cat "$home/tavelo.tvl"
grep -q 'Muestra.cbz","5"' "$home/tavelo.tvl"
grep -qx 'Marcador=5' "$home/tavelo.ini" || { echo "the bookmark list did not open page 5"; exit 1; }
echo "smoke test passed"
