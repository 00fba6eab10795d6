# common.sh - what the end-to-end scripts share; sourced by them, never run alone.
# Sets SDL's audio to the dummy driver and keeps the sanitizer's leak check away from
# the X11 and desktop-bus libraries, which keep blocks of their own to the end.
export SDL_AUDIODRIVER=dummy

# e2e_xvfb SCREEN "TOOLS" ARGS...: runs the calling script again inside a new X
# server of SCREEN (WxHxD), once; exit 77 (skipped) when a tool is missing.
e2e_xvfb() {
  local screen=$1 tools=$2
  shift 2
  [[ -n ${VORLANE_E2E_INNER:-} ]] && return 0
  for tool in xvfb-run $tools; do
    command -v "$tool" >/dev/null || { echo "skip: $tool is missing"; exit 77; }
  done
  VORLANE_E2E_INNER=1 exec xvfb-run -a -s "-screen 0 $screen" bash "$0" "$@"
}

# e2e_workdir NAME: a fresh folder as $work, made current and removed at the end, when
# every process left in the array pids is killed.
pids=()
e2e_workdir() {
  work=$(mktemp -d "${TMPDIR:-/tmp}/vorlane-$1-XXXXXX")
  trap 'for p in "${pids[@]}"; do kill -KILL "$p" 2>/dev/null; done; rm -rf "$work"' EXIT
  cd "$work" || exit 1
}

# fail WHY: the reason and the end of every Log.txt under $work; exit 1.
fail() {
  echo "FAIL: $*"
  while read -r log; do
    echo "--- $log"
    iconv -f CP932 -t UTF-8 "$log" | tail -15
  done < <(find "$work" -name Log.txt)
  exit 1
}

# key KEY [PAUSE]: one real key press (XTEST) of 0.12 s, then PAUSE seconds.
key() { xdotool keydown "$1"; sleep 0.12; xdotool keyup "$1"; sleep "${2:-0.25}"; }

# shown WID: waits up to 30 s for the window to show anything but black: the first
# scene is drawn only once its pictures and sounds are loaded, and keys pressed before
# that are never read (a loaded machine can take seconds).
shown() {
  for _ in $(seq 1 100); do
    # The scene's first frame can come before its loop reads keys on a loaded machine
    # (sanitizer builds): a moment more before the first press.
    [[ $(import -window "$1" -colorspace gray -format '%[fx:mean>0.02]' info: 2>/dev/null) == 1 ]] &&
      sleep 1.5 && return 0
    sleep 0.3
  done
  fail "window $1 never showed a picture"
}

# capture_f1 DIR [CMD...]: presses F1 (then runs CMD, if given) until a capture lies
# under DIR/screen, up to ten times: F1 counts only once the round runs, after the
# menus' fades and the start sequence.
capture_f1() {
  local dir=$1
  shift
  for _ in $(seq 1 10); do
    key F1 0
    (($# > 0)) && "$@"
    sleep 1
    compgen -G "$dir/screen/Screen*.bmp" >/dev/null && return 0
  done
  fail "F1 took no capture under $dir/screen"
}

# ends PID: waits up to 30 s for the process to end; its exit code, or fail.
ends() {
  for _ in $(seq 1 600); do kill -0 "$1" 2>/dev/null || break; sleep 0.05; done
  kill -0 "$1" 2>/dev/null && fail "process $1 did not end"
  wait "$1"
}

free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'
}
