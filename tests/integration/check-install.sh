#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop needs from
# it: the command, its libraries beside the executable, the desktop entry, the
# icons, and that the installed command answers --help and runs the demo.
# Usage: check-install.sh <build folder> <source folder> <the build's libtdjson.so>
set -euo pipefail
build="$1"
source="$2"
tdjson="$3"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

private="$prefix/lib/tessaly"
[ -L "$prefix/bin/tessaly" ] && [ -x "$prefix/bin/tessaly" ] || fail "bin/tessaly is not a working link"
for f in tessaly Info.json libtdjson-sim.so tessaly_media.so; do
  [ -f "$private/$f" ] || fail "lib/tessaly/$f is missing"
done
# What the build has must be installed too: the real TDLib and the diagram helper.
if [ -f "$tdjson" ]; then cmp -s "$tdjson" "$private/libtdjson.so" || fail "lib/tessaly/libtdjson.so is missing"; fi
if [ -f "$build/bin/tessaly-mermaid" ]; then
  [ -x "$private/tessaly-mermaid" ] || fail "lib/tessaly/tessaly-mermaid is missing"
  if grep -qi webengine <<<"$(readelf -d "$private/tessaly")"; then
    fail "the application links Qt WebEngine; only the diagram helper may"
  fi
fi
# Sound, camera and PDF windows come with the media library, loaded on first use.
# Read whole first: grep -q leaving early would fail the pipe under pipefail.
symbols="$(readelf -Ws --dyn-syms "$private/tessaly_media.so")"
grep -q ' tessaly_media_module$' <<<"$symbols" || fail "lib/tessaly/tessaly_media.so does not offer its entry"
if grep -qiE 'multimedia|qt6pdf' <<<"$(readelf -d "$private/tessaly")"; then
  fail "the application links Qt Multimedia or Qt PDF; only lib/tessaly/tessaly_media.so may"
fi
rpath="$(grep -E 'R(UN)?PATH' <<<"$(readelf -d "$private/tessaly")" || true)"
if [[ "$rpath" == *"$build"* ]]; then
  fail "the installed executable still looks for libraries in the build folder"
fi

entry="$prefix/share/applications/tessaly.desktop"
[ -f "$entry" ] || fail "the desktop entry is missing"
grep -qxF "Exec=\"$prefix/bin/tessaly\"" "$entry" || fail "the entry does not start $prefix/bin/tessaly: $(grep ^Exec= "$entry")"
for line in Name=Tessaly Icon=tessaly 'Categories=Network;Chat;' StartupWMClass=Tessaly; do
  grep -qxF "$line" "$entry" || fail "the entry lacks $line"
done
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$entry" || fail "desktop-file-validate rejects the entry"
else
  echo "desktop-file-validate not installed: entry checked by its lines only"
fi

icons="$prefix/share/icons/hicolor"
grep -q "<svg" "$icons/scalable/apps/tessaly.svg" || fail "the SVG icon is missing"
for size in 16 32 48 64 128 256; do
  png="$icons/${size}x${size}/apps/tessaly.png"
  [ -f "$png" ] || fail "$png is missing"
  # Width and height are the two big-endian words after the IHDR tag.
  read -r w h < <(od -An -tu1 -j16 -N8 "$png" | awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
  [ "$w" = "$size" ] && [ "$h" = "$size" ] || fail "$png is ${w}x${h}"
done

# --help works without a display and names every option the program accepts.
help="$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$prefix/bin/tessaly" --help)" || fail "--help failed"
options="$(grep -oE 'arg == "-[-a-z]+"' "$source/src/app/main.cpp" | grep -oE -- '-[-a-z]+')"
[ -n "$options" ] || fail "no options found in main.cpp"
for option in $options; do
  grep -qE -- "(^|[ ,])$option([ ,]|$)" <<<"$help" || fail "--help does not list $option"
done

# The installed command finds its simulator from the prefix: the demo renders a window.
shot="$prefix/shot.png"
QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$prefix" timeout 60 \
  "$prefix/bin/tessaly" --demo --screenshot "$shot" --screenshot-delay 100 >/dev/null
[ -s "$shot" ] || fail "the installed demo did not render its window"
echo "install layout: ok"
