#!/bin/sh
# agreement.sh WIN64_BUILD WEB_BIN ASSETS WORK: the fixed scene drawn by the
# OpenGL back end under Wine and by the WebGL back end in headless Chromium
# must agree, and the WebGL picture without the overlay must not; the WebGL
# back end's gathered draws must draw what the same draws one by one do, and
# its kept backdrops what the same frames drawn in full do.
set -eu
win64="$1"; web="$2"; assets="$3"; work="$4"
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"

rm -rf "$work"
mkdir -p "$work/site" "$work/wine"
cp "$assets"/* "$work/site/"
cp "$assets"/* "$work/wine/"
cp "$web/fixedScene.js" "$web/fixedScene.wasm" "$web/fixedScene.html" "$work/site/"

(cd "$work/wine" && "$root/scripts/with-wine" "$win64/wineprefix" \
  wine "$win64/bin/fixedScene.exe" "$work/opengl.ppm" </dev/null)

# A server on a free port, stopped whatever happens.
python3 -u -m http.server 0 --bind 127.0.0.1 --directory "$work/site" >"$work/server.log" 2>&1 &
server=$!
trap 'kill $server 2>/dev/null || true' EXIT
port=""
for _ in $(seq 100); do
  port="$(sed -n 's/.* port \([0-9]*\) .*/\1/p' "$work/server.log")"
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || { echo "agreement: the server did not start" >&2; exit 1; }

node "$here/capture.mjs" "http://127.0.0.1:$port/fixedScene.html" "$work/webgl.ppm"
node "$here/capture.mjs" "http://127.0.0.1:$port/fixedScene.html?no-overlay" "$work/wrong.ppm"
node "$here/capture.mjs" "http://127.0.0.1:$port/fixedScene.html?batching" "$work/batching.ppm"
node "$here/capture.mjs" "http://127.0.0.1:$port/fixedScene.html?backdrop" "$work/backdrop.ppm"

python3 "$here/compare.py" "$work/opengl.ppm" "$work/webgl.ppm"
python3 "$here/compare.py" "$work/opengl.ppm" "$work/wrong.ppm" --must-differ
