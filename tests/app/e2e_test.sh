#!/usr/bin/env bash
# End-to-end test of the desktop application under a real X server (Xvfb, xcb platform):
# open a copy of examples/tour.ov, start the application again with another file (which
# the running one must open), type "\" to run tour.ov, find a word with Ctrl+F, save with
# Ctrl+S, quit with Ctrl+Q, and check that the file on disk holds the results. Every wait is
# bounded; the whole test ends within 60 seconds.
#   tests/app/e2e_test.sh PATH/TO/orvanel
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)

fail() {
  echo "app_e2e: FAIL: $*" >&2
  exit 1
}

if [ "${ORVANEL_E2E_INSIDE:-}" != 1 ]; then
  [ $# -eq 1 ] || { echo "usage: $0 ORVANEL_BINARY" >&2; exit 2; }
  app=$(realpath "$1") || fail "no binary at $1"
  [ -x "$app" ] || fail "$app is not executable"
  for tool in xvfb-run xauth xdotool timeout; do
    command -v "$tool" >/dev/null || fail "$tool is missing (scripts/setup installs it)"
  done
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  mkdir -p "$work/home" "$work/config" "$work/runtime" "$work/tmp"
  chmod 700 "$work/runtime"
  # Plain text under its own name: the save must keep it plain text.
  cp "$root/examples/tour.ov" "$work/tour.ov"
  # A private home, settings store, runtime folder and temporary folder: no user settings
  # leak in, and no running Orvanel of the user can take the file over.
  HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" \
    TMPDIR="$work/tmp" QT_QPA_PLATFORM=xcb ORVANEL_E2E_INSIDE=1 \
    timeout -k 5 60 xvfb-run -a -s "-screen 0 1280x900x24" \
    bash "$0" "$app" "$work/tour.ov"
  status=$?
  [ $status -eq 124 ] && fail "timed out after 60 s"
  exit $status
fi

# Inside the X server from here on.
app=$1
sheet=$2
log="$(dirname "$sheet")/app.log"

"$app" "$sheet" >"$log" 2>&1 &
pid=$!

stop_app() {
  if kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null
    sleep 1
    kill -9 "$pid" 2>/dev/null
  fi
}
trap stop_app EXIT

show_log() {
  if [ -s "$log" ]; then
    echo "--- application output:" >&2
    tail -n 20 "$log" >&2
  fi
}

# The worksheet window: visible, named after the file, and not the plot window
# ("PLOT of tour.ov").
worksheet_window() {
  local id name
  for id in $(xdotool search --onlyvisible --name 'tour\.ov' 2>/dev/null); do
    name=$(xdotool getwindowname "$id" 2>/dev/null) || continue
    case "$name" in PLOT*) continue ;; esac
    echo "$id"
    return 0
  done
  return 1
}

window_names() {
  local id
  for id in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
    xdotool getwindowname "$id" 2>/dev/null
  done | sort -u | sed 's/^/    /' >&2
}

wid=""
for _ in $(seq 1 100); do
  kill -0 "$pid" 2>/dev/null || { show_log; fail "the application exited before showing tour.ov"; }
  wid=$(worksheet_window) && break
  sleep 0.2
done
[ -n "$wid" ] || { echo "visible windows:" >&2; window_names; show_log; fail "no window titled with tour.ov within 20 s"; }
title_before=$(xdotool getwindowname "$wid")
echo "app_e2e: window $wid \"$title_before\""

# A second start with another file hands it to the running application and ends.
second="$(dirname "$sheet")/second.ov"
printf '2+2=\n' >"$second"
timeout 10 "$app" "$second" >>"$log" 2>&1
code=$?
[ $code -eq 0 ] || { show_log; fail "a second start with second.ov exited with status $code"; }
handed=0
for _ in $(seq 1 50); do
  if xdotool search --onlyvisible --name '^second\.ov' >/dev/null 2>&1; then
    handed=1
    break
  fi
  sleep 0.2
done
[ $handed = 1 ] || { echo "visible windows:" >&2; window_names; show_log; fail "the running application did not open second.ov"; }

# No window manager runs under Xvfb: give the window the input focus directly (and by a
# click into the text), then type as a user would.
xdotool windowraise "$wid" 2>/dev/null
xdotool windowfocus --sync "$wid" 2>/dev/null || xdotool windowfocus "$wid"
eval "$(xdotool getwindowgeometry --shell "$wid")"
xdotool mousemove --window "$wid" $((WIDTH / 2)) $((HEIGHT / 3)) click 1
sleep 0.3
xdotool key --clearmodifiers backslash

# The run edits the text, so the title gets the modified mark; give it 15 s.
ran=0
for _ in $(seq 1 75); do
  kill -0 "$pid" 2>/dev/null || { show_log; fail "the application exited during the run"; }
  title=$(xdotool getwindowname "$wid" 2>/dev/null)
  if [ "$title" != "$title_before" ]; then
    ran=1
    break
  fi
  sleep 0.2
done
[ $ran = 1 ] || echo "app_e2e: the title did not change after \\ (\"$title_before\"); saving anyway" >&2
sleep 0.5

# Find a word that is nowhere (Ctrl+F, the word, Return), close the bar with Escape and
# write a note at the end of the text: the word must not reach the text, and the note
# must, so the bar took the typing and gave the focus back.
xdotool windowfocus "$wid" 2>/dev/null
xdotool key --clearmodifiers ctrl+f
sleep 0.3
xdotool type --delay 20 "zzfindme"
xdotool key --clearmodifiers Return Escape
sleep 0.3
xdotool key --clearmodifiers ctrl+End Return
xdotool type --delay 20 "found it"
sleep 0.3

# The first Save of a worksheet without settings (plain text is one) asks for the name and
# form in the Save As dialog, with the file's own name and "Plain text" chosen: accept it
# with Return, and the question whether to replace the file with Y (its "&Yes").
save_dialog() {
  local id
  for id in $(xdotool search --onlyvisible --name '^Save As' 2>/dev/null); do
    echo "$id"
    return 0
  done
  return 1
}
xdotool windowfocus "$wid" 2>/dev/null
xdotool key --clearmodifiers ctrl+s
saved=0
answered=0
for tick in $(seq 1 50); do
  if grep -q 'area:7\.00' "$sheet"; then
    saved=1
    break
  fi
  if save_dialog >/dev/null; then
    if [ $answered = 0 ]; then
      sleep 0.5
      xdotool key --clearmodifiers Return
      answered=$tick
    elif [ $answered -gt 0 ] && [ $((tick - answered)) -ge 5 ]; then
      xdotool key --clearmodifiers y
      answered=-1
    fi
  fi
  sleep 0.2
done
if [ $saved = 0 ]; then
  echo "visible windows after Ctrl+S:" >&2
  window_names
  show_log
  if [ $ran = 0 ]; then
    fail "typing \\ did not run the worksheet (title stayed \"$title_before\"), and $sheet has no area:7.00"
  fi
  fail "$sheet does not contain area:7.00 10 s after Ctrl+S (the run changed the title to \"$title\"; Save As dialog answered: $answered)"
fi
head -c 5 "$sheet" | grep -q '^{\\rtf' && fail "Ctrl+S turned the plain-text worksheet into RTF"
grep -q 'zzfindme' "$sheet" && fail "the word typed into the find bar went into the text"
grep -q 'found it' "$sheet" || fail "the note typed after Escape closed the find bar is not in the text"

xdotool windowfocus "$wid" 2>/dev/null
xdotool key --clearmodifiers ctrl+q
for _ in $(seq 1 50); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.2
done
if kill -0 "$pid" 2>/dev/null; then
  echo "visible windows after Ctrl+Q:" >&2
  window_names
  fail "the application still runs 10 s after Ctrl+Q"
fi
wait "$pid"
code=$?
[ $code -eq 0 ] || { show_log; fail "the application exited with status $code"; }
trap - EXIT
echo "app_e2e: ok: a second start handed its file over; the run's results and a note typed after the find bar were saved to the plain-text file, and Ctrl+Q quit"
