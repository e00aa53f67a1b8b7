# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the show tests: starts `TOOL show SCENE` in the background, stops it when
# the test ends, and waits for its window (named after the scene file) to be shown:
# the window exists before it is placed and mapped, at (0, 0). Sets pid,
# window and the window's X, Y, WIDTH and HEIGHT, and defines expect_closed.
# Usage: . start-show.sh TOOL SCENE
"$1" show "$2" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
window_name=$(basename "$2")
window=
for _ in $(seq 1 50); do
  window=$(xdotool search --onlyvisible --name "^${window_name//./\\.}\$" 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "no window appeared" >&2; exit 1; }
eval "$(xdotool getwindowgeometry --shell "$window")"

# Waits up to 5 s for the show command to end; fails with MESSAGE if it does not.
# Usage: expect_closed MESSAGE
expect_closed() {
  for _ in $(seq 1 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    echo "$1" >&2
    exit 1
  fi
  wait "$pid"
}
