# Shared by scripts/run, scripts/package and the installation test: a
# simulated sensor in a private port-name directory, a virtual X display, the
# program's window, a click on "On" and the wait for a reading.
#
# Source it with `scratch` naming a private temporary directory. Every process
# started here is added to `pids`; session_cleanup ends them, newest first.

pids=()

session_cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null || true
    wait "${pids[i]}" 2>/dev/null || true
  done
  pids=()
}

# start_demo_sensor SIMULATOR: a KVAM-32/2 on COM3, registered in a private
# port-name directory ($FLUXMIRA_PORTS, exported) so no port of the machine
# is listed or touched.
start_demo_sensor() {
  export FLUXMIRA_PORTS=$scratch/ports
  mkdir -p "$FLUXMIRA_PORTS"
  "$1" --com 3 --model KVAM-32/2 --serial 123 --power noise:0.0012:0.0002 >"$scratch/sensor.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do
    [ -L "$FLUXMIRA_PORTS/COM3" ] && return 0
    sleep 0.05
  done
  cat "$scratch/sensor.log" >&2
  echo "The simulated sensor did not start." >&2
  return 1
}

# start_virtual_display: an Xvfb display of our own, exported as DISPLAY.
start_virtual_display() {
  mkfifo "$scratch/display"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$scratch/display" >"$scratch/xvfb.log" 2>&1 &
  pids+=($!)
  local number
  read -r -t 10 number <"$scratch/display" ||
    { cat "$scratch/xvfb.log" >&2; echo "The virtual display did not start." >&2; return 1; }
  export DISPLAY=:$number
  export QT_QPA_PLATFORM=xcb
}

# private_runtime_dir: a runtime directory of our own, so the program's
# per-user sockets (the skin preview listens on one) meet no other instance
# that runs on the machine at the same time, such as a test's window.
private_runtime_dir() {
  export XDG_RUNTIME_DIR=$scratch/runtime
  mkdir -m 700 -p "$XDG_RUNTIME_DIR"
}

# start_program PROGRAM: starts it and waits for its window, whose id goes
# to `window`; the program's output goes to $scratch/fluxmira.log.
start_program() {
  "$1" >"$scratch/fluxmira.log" 2>&1 &
  pids+=($!)
  window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Fluxmira$' | head -n1) && [ -n "$window" ] ||
    { cat "$scratch/fluxmira.log" >&2; echo "The Fluxmira window did not appear." >&2; return 1; }
  sleep 1
}

# window_has_icon: the window offers an icon to the window manager.
window_has_icon() {
  xprop -id "$window" _NET_WM_ICON >"$scratch/icon.txt" && grep -q 'Icon (' "$scratch/icon.txt"
}

# Places in the window at 96 pixels per inch: the On/Off button's centre
# (design 34,157) and the reading display (330x70 at 20,34), which shows
# "000.0 uW" while idle and changes once a reading arrives. The skin draws
# its own border and caption inside the window and moves the controls by
# 4,27 (its 4,32 frame, less the 5 pixels they move up to stay clear of its
# bottom border); an unskinned window has no such offset.
click_and_wait_for_reading() {
  local dx=$1 dy=$2 tries=$3
  local area="330x70+$((20 + dx))+$((34 + dy))"
  import -window "$window" -crop "$area" +repage "$scratch/idle.png"
  xdotool mousemove --window "$window" $((34 + dx)) $((157 + dy)) click 1
  for _ in $(seq "$tries"); do
    sleep 0.5
    import -window "$window" -crop "$area" +repage "$scratch/now.png"
    compare -metric AE "$scratch/idle.png" "$scratch/now.png" null: 2>/dev/null || return 0
  done
  return 1
}

# show_reading: clicks "On" and waits up to 40 s for a reading.
show_reading() {
  click_and_wait_for_reading 4 27 40 || click_and_wait_for_reading 0 0 40
}
