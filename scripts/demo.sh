#!/usr/bin/env bash
# Starts the module emulator behind "COM 1" (/dev/COM1), then the program; stops the emulator
# again when the program closes. Making the link in /dev needs root, so it asks sudo otherwise.
set -euo pipefail

bin="${1:-build/bin}"
link=/dev/COM1

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: 'make demo' opens the window, so run it on a desktop."
  exit 1
fi

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

out=$(mktemp)
"${sudo_cmd[@]}" "$bin/converter-emulator" --pty --link "$link" >"$out" 2>"$out.log" &
emulator=$!
stop() {
  "${sudo_cmd[@]}" kill -TERM "$emulator" 2>/dev/null || true
  wait "$emulator" 2>/dev/null || true
  rm -f "$out" "$out.log"
}
trap stop EXIT

# The emulator prints its port on its first line once the link is in place.
for _ in $(seq 50); do
  [ -s "$out" ] && break
  kill -0 "$emulator" 2>/dev/null || { cat "$out.log"; exit 1; }
  sleep 0.1
done
echo "Module emulator on $(head -n1 "$out"), reachable as COM 1 ($link)."
echo "Its frame log: $out.log"
"$bin/converter-config"
