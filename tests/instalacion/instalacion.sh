#!/usr/bin/env bash
# instalacion.sh BUILD SAMPLE ID: installs BUILD into a scratch
# prefix and checks it as a desktop and a file manager would use it.
set -euo pipefail
build=$1 muestra=$2 id=$3
raiz=$(mktemp -d)
xvfb=
trap '[ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null; rm -rf "$raiz"' EXIT
prefijo=$raiz/prefijo
cmake --install "$build" --prefix "$prefijo" >/dev/null
falla() { echo "FAILED: $*"; exit 1; }

echo "== desktop entry, metainfo, icons"
desktop=$prefijo/share/applications/$id.desktop
desktop-file-validate "$desktop"
grep -q '^GenericName\[lv\]=' "$desktop" || falla "no Latvian name"
appstreamcli validate --no-net "$prefijo/share/metainfo/$id.metainfo.xml"
for lado in 16 22 24 32 48 64 128 256; do
  file "$prefijo/share/icons/hicolor/${lado}x$lado/apps/$id.png" | grep -q "PNG image data, $lado x $lado" ||
    falla "icon $lado"
done
[ -s "$prefijo/share/icons/hicolor/scalable/apps/$id.svg" ] || falla "no scalable icon"

# A scratch desktop: only the installed entry and the system's MIME database.
export HOME=$raiz/casa XDG_CONFIG_HOME=$raiz/casa/config XDG_CONFIG_DIRS=$raiz/casa/config
export XDG_DATA_HOME=$prefijo/share XDG_DATA_DIRS=$prefijo/share:/usr/share
unset TAVELO_HOME XDG_CURRENT_DESKTOP KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID DESKTOP_SESSION
mkdir -p "$XDG_CONFIG_HOME"
export PATH=$prefijo/bin:$PATH

echo "== file associations"
update-desktop-database "$XDG_DATA_HOME/applications"
for tipo in application/vnd.comicbook+zip application/vnd.comicbook-rar application/x-cb7 application/x-cbt \
            application/pdf image/jpeg image/avif image/jxl; do
  defecto=$(xdg-mime query default "$tipo")
  echo "$tipo -> $defecto"
  [ "$defecto" = "$id.desktop" ] || falla "default for $tipo"
done

echo "== thumbnailer"
for tipo in application/x-cb7 application/x-cbt image/avif image/jxl; do
  grep -q "^MimeType=.*$tipo;" "$prefijo/share/thumbnailers/tavelo.thumbnailer" || falla "thumbnailer without $tipo"
done
! grep -q "^MimeType=.*application/pdf" "$prefijo/share/thumbnailers/tavelo.thumbnailer" || falla "thumbnailer for PDF"
# Its command line as a thumbnail manager builds it from the entry.
IFS=' ' read -ra orden <<< "$(sed -n 's/^Exec=//p' "$prefijo/share/thumbnailers/tavelo.thumbnailer")"
miniatura() { # COMIC OUTPUT SIZE
  local a=() p
  for p in "${orden[@]}"; do
    case $p in %i) a+=("$1") ;; %o) a+=("$2") ;; %s) a+=("$3") ;; *) a+=("$p") ;; esac
  done
  "${a[@]}"
}
# (Archive kinds and damaged comics: the thumbnailer's own test.)
cp "$muestra" "$raiz/cómic con espacios.cbz"
miniatura "$raiz/cómic con espacios.cbz" "$raiz/muestra.png" 128
file "$raiz/muestra.png"
file "$raiz/muestra.png" | grep -Eq 'PNG image data, ([0-9]+ x 128|128 x [0-9]+),' || falla "sample thumbnail size"

echo "== the menu entry's command line, a second start handing over, settings"
carpeta="$raiz/Cómics del año"
mkdir -p "$carpeta"
primero="$carpeta/Mi cómic ñ.cbz"
segundo="$carpeta/Número 2 (ß).cbz"
cp "$muestra" "$primero"
cp "$muestra" "$segundo"
IFS=' ' read -ra entrada <<< "$(sed -n 's/^Exec=//p' "$desktop")"
lanzar() { # DOCUMENT: as a launcher expands %f, one argument
  local a=() p
  for p in "${entrada[@]}"; do [ "$p" = "%f" ] && a+=("$1") || a+=("$p"); done
  "${a[@]}"
}
numero=$raiz/display
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$numero" 2>/dev/null &
xvfb=$!
for i in $(seq 1 100); do [ -s "$numero" ] && break; sleep 0.1; done
export DISPLAY=:$(head -n 1 "$numero")
ini=$XDG_CONFIG_HOME/tavelo/tavelo.ini
# The entry's %f opens the first document, its window comes up, and a second
# start from the entry hands its document over and ends.
lanzar "$primero" &
pid=$!
for i in $(seq 1 200); do xdotool search --onlyvisible --name '^Tavelo$' >/dev/null 2>&1 && break; sleep 0.1; done
win=$(xdotool search --onlyvisible --name '^Tavelo$' | head -n 1)
[ -n "$win" ] || falla "no window"
sleep 1
lanzar "$segundo" &
segundo_pid=$!
for i in $(seq 1 300); do kill -0 "$segundo_pid" 2>/dev/null || break; sleep 0.1; done
! kill -0 "$segundo_pid" 2>/dev/null || falla "the second start did not end"
wait "$segundo_pid" || falla "the second start failed"
sleep 2
xdotool windowfocus --sync "$win" key Escape
for i in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
! kill -0 "$pid" 2>/dev/null || falla "still running after Esc"
[ -f "$ini" ] || { find "$raiz" -name tavelo.ini; falla "settings not in the per-user config folder"; }
cat "$ini"
[ -z "$(find "$prefijo" -name 'tavelo.ini' -o -name '*.tvl')" ] || falla "written into the installation"
grep -q "^uPath=.*(ß).cbz$" "$ini" || falla "the handed-over document was not the one open at exit"
echo "installation test passed"
