# Sourced by the show tests: starts `TOOL show SCENE` in the background, stops it when
# the test ends, and waits for its window (named after the scene file). Sets pid,
# window and the window's X, Y, WIDTH and HEIGHT.
# Usage: . start-show.sh TOOL SCENE
"$1" show "$2" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
window_name=$(basename "$2")
window=
for _ in $(seq 1 50); do
  window=$(xdotool search --name "^${window_name//./\\.}\$" 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "no window appeared" >&2; exit 1; }
eval "$(xdotool getwindowgeometry --shell "$window")"
