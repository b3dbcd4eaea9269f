# Helpers of the end-to-end suite (sourced by tests/e2e/run-e2e): building,
# the X display and Wine server, the simulated device behind a serial tap,
# the driver process, the program's processes, checks and screenshots.
# Expects ROOT, MINGW_BUILD, NATIVE_BUILD, OUT, SHOTS, TIME_LIMIT and keep.

PASSED=0
FAILED=0
FAILURES=()
WORK=""
XVFB_PID=""
WATCHDOG_PID=""
DRV_PID=""
DRV_IN=""
DRV_OUT=""
DRV_ANSWER=""
PROG_PID=""
SIM_PID=""
TAP_PID=""
SIM_LOG=""
SIM_RX_SEEN=0
RAW_FILE=""
RAW_OFFSET=0
MAIN=""

log() { printf '%s\n' "$@" >>"$OUT/e2e.log"; }

now_ms() { date +%s%3N; }

e2e_section() {
  printf '== %s\n' "$*"
  log "== $*"
}

pass() {
  PASSED=$((PASSED + 1))
  printf '  ok    %s\n' "$1"
  log "ok: $1"
}

fail() {
  FAILED=$((FAILED + 1))
  FAILURES+=("$1")
  printf '  FAIL  %s%s\n' "$1" "${2:+  [$2]}"
  log "FAIL: $1 ${2:-}"
}

# check NAME EXPRESSION: the expression is evaluated as shell code.
check() {
  local name=$1
  shift
  CHECK_DETAIL=""
  if eval "$*"; then
    pass "$name"
  else
    fail "$name" "${CHECK_DETAIL:-$DRV_ANSWER}"
  fi
}

# --- Building ---------------------------------------------------------------

e2e_build() {
  echo "run-e2e: building (native: $NATIVE_BUILD, MinGW-w64: $MINGW_BUILD)"
  if [[ ! -f $NATIVE_BUILD/build.ninja ]]; then
    cmake -S "$ROOT" -B "$NATIVE_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      >"$OUT/build-native.log" 2>&1 || {
      cat "$OUT/build-native.log" >&2
      return 1
    }
  fi
  ninja -C "$NATIVE_BUILD" -j2 vqx460-sim vqx460ctl >>"$OUT/build-native.log" 2>&1 || {
    tail -40 "$OUT/build-native.log" >&2
    return 1
  }
  if [[ ! -f $MINGW_BUILD/build.ninja ]]; then
    cmake -S "$ROOT" -B "$MINGW_BUILD" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw64.cmake" \
      -DCMAKE_BUILD_TYPE=Release >"$OUT/build-mingw.log" 2>&1 || {
      cat "$OUT/build-mingw.log" >&2
      return 1
    }
  fi
  ninja -C "$MINGW_BUILD" -j2 vqx460 vqx460-driver \
    >>"$OUT/build-mingw.log" 2>&1 || {
    tail -40 "$OUT/build-mingw.log" >&2
    return 1
  }
}

# The serial tap is one small file, built here with the native compiler.
e2e_build_tap() {
  local tap=$NATIVE_BUILD/e2e/pty-tap source=$ROOT/tests/e2e/pty_tap.cpp
  if [[ ! -x $tap || $source -nt $tap ]]; then
    mkdir -p "$NATIVE_BUILD/e2e"
    c++ -std=c++20 -O2 -Wall -Wextra -Werror -o "$tap" "$source" || return 1
  fi
}

e2e_find_sim() {
  local candidate
  for candidate in "$NATIVE_BUILD/posix/vqx460-sim" \
    "$NATIVE_BUILD/posix/sim/vqx460-sim"; do
    [[ -x $candidate ]] && {
      echo "$candidate"
      return 0
    }
  done
  echo "run-e2e: vqx460-sim not found in $NATIVE_BUILD" >&2
  return 1
}

# --- Environment --------------------------------------------------------------

e2e_start_environment() {
  mkdir -p "$OUT" "$SHOTS"
  rm -f "$OUT"/*.log "$SHOTS"/*.png
  WORK=$(mktemp -d /tmp/vqx-e2e.XXXXXX)
  trap e2e_cleanup EXIT
  trap 'e2e_abort "interrupted or over the time limit of ${TIME_LIMIT} s"' \
    INT TERM HUP

  export VQX_WINEPREFIX=${VQX_E2E_PREFIX:-$HOME/.cache/vqx460/e2e-wineprefix}
  # shellcheck source=scripts/wine-env
  source "$ROOT/scripts/wine-env"
  wineserver -k >/dev/null 2>&1 # leftovers of an earlier, killed run

  # Our own X display, whatever DISPLAY says: the suite must not put windows
  # on a desktop someone works at.
  local display_file=$WORK/display
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp \
    3>"$display_file" >"$OUT/xvfb.log" 2>&1 &
  XVFB_PID=$!
  local i
  for ((i = 0; i < 100; i++)); do
    [[ -s $display_file ]] && break
    sleep 0.1
  done
  [[ -s $display_file ]] || {
    echo "run-e2e: Xvfb did not start" >&2
    return 1
  }
  export DISPLAY=":$(head -1 "$display_file")"
  unset WAYLAND_DISPLAY

  vqx_wine_init || return 1
  # Wine draws the title bars and frames itself inside one desktop window,
  # so the screenshots show what a user sees even without a window manager.
  if ! grep -q '"Default"="1024x768"' "$WINEPREFIX/user.reg" 2>/dev/null; then
    vqx_wine_desktop 1024x768
    wineserver -w
  fi
  rm -rf "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/VQX-460
  # COM1 is the only port until a phase maps another. A prefix an earlier,
  # interrupted run left may still map COM12; a server knows its ports from
  # its start, so that server must end before the run's own one starts.
  if [[ -e $WINEPREFIX/dosdevices/com12 ]] ||
    grep -q '^"COM12"=' "$WINEPREFIX/system.reg" 2>/dev/null; then
    vqx_wine_unmap_port 12
    wineserver -w
  fi
  wineserver -p >/dev/null 2>&1 # one server for the whole run
  vqx_wine_com1 "$WORK/com1"

  # Ends the run with a failure when the tests take too long.
  (
    trap 'kill "$sleeper" 2>/dev/null; exit 0' TERM
    sleep "$TIME_LIMIT" &
    sleeper=$!
    wait "$sleeper" && kill -TERM $$
  ) &
  WATCHDOG_PID=$!
  drv_start
}

e2e_cleanup() {
  trap - EXIT INT TERM HUP
  if [[ -n $DRV_IN ]]; then
    printf 'quit\n' >&"$DRV_IN" 2>/dev/null
    exec {DRV_IN}>&- {DRV_OUT}<&-
    DRV_IN=""
  fi
  [[ -n $PROG_PID ]] && kill "$PROG_PID" 2>/dev/null
  [[ -n ${VQX_WINEPREFIX:-} ]] && timeout 20 wineserver -k >/dev/null 2>&1
  sim_stop
  if [[ -n $XVFB_PID ]]; then
    kill "$XVFB_PID" 2>/dev/null
    wait "$XVFB_PID" 2>/dev/null
  fi
  if [[ -n $WATCHDOG_PID ]]; then
    kill "$WATCHDOG_PID" 2>/dev/null
    wait "$WATCHDOG_PID" 2>/dev/null
  fi
  if [[ -n $WORK && $keep == no ]]; then
    rm -rf "$WORK"
  elif [[ -n $WORK ]]; then
    echo "run-e2e: scratch folder kept: $WORK"
  fi
}

e2e_finish() {
  echo
  if ((FAILED > 0)); then
    echo "Failed:"
    printf '  %s\n' "${FAILURES[@]}"
    echo "Logs: $OUT   Screenshots: $SHOTS"
  else
    echo "Screenshots: $SHOTS"
  fi
  echo "$PASSED passed, $FAILED failed"
  ((FAILED == 0))
  exit $?
}

e2e_abort() {
  fail "$1"
  e2e_finish
}

# --- Driver -------------------------------------------------------------------

drv_start() {
  coproc DRIVER { exec wine "$DRIVER_EXE" 2>>"$OUT/driver-stderr.log"; }
  DRV_PID=$DRIVER_PID
  exec {DRV_IN}>&"${DRIVER[1]}" {DRV_OUT}<&"${DRIVER[0]}"
  drv ping || {
    echo "run-e2e: the driver does not answer" >&2
    return 1
  }
}

drv_quote() {
  local text=${1//\\/\\\\}
  printf '"%s"' "${text//\"/\\\"}"
}

# drv COMMAND ARG...: one request to the driver; the answer is in DRV_ANSWER.
drv() {
  local line="" arg
  for arg in "$@"; do line+="$(drv_quote "$arg") "; done
  log "> $line"
  if ! printf '%s\n' "$line" >&"$DRV_IN" 2>/dev/null; then
    DRV_ANSWER="ERR the driver has gone"
  elif ! IFS= read -r -t 60 DRV_ANSWER <&"$DRV_OUT"; then
    DRV_ANSWER="ERR no answer from the driver"
  fi
  log "< $DRV_ANSWER"
  [[ $DRV_ANSWER == OK* ]]
}
drv_ok() { drv "$@"; }

# Word N (from 1) after "OK".
answer_word() {
  local -a words
  read -r -a words <<<"$DRV_ANSWER"
  printf '%s' "${words[$1]:-}"
}

# The quoted text at the end of the answer, unescaped.
answer_text() {
  local text=${DRV_ANSWER#*\"}
  [[ $DRV_ANSWER == *\"* ]] || return 0
  text=${text%\"}
  text=${text//\\\"/\"}
  printf '%s' "${text//\\\\/\\}"
}

# --- The simulated device behind the serial tap ------------------------------

# sim_start NAME SIM-OPTIONS...: a device on a new pseudo-terminal and the tap
# in front of it at $WORK/com1, which the prefix's COM1 points at.
sim_start() {
  local name=$1
  shift
  SIM_LOG=$OUT/sim-$name.log
  RAW_FILE=$WORK/raw-$name.bin
  : >"$RAW_FILE"
  RAW_OFFSET=0
  SIM_RX_SEEN=0
  rm -f "$WORK/sim-$name.out" "$WORK/tap-$name.out" # waited for below
  "$SIM" --link "$WORK/sim-tty" --log "$SIM_LOG" "$@" \
    >"$WORK/sim-$name.out" 2>>"$OUT/sim-$name-stderr.log" &
  SIM_PID=$!
  wait_for_line "$WORK/sim-$name.out" || return 1
  "$NATIVE_BUILD/e2e/pty-tap" "$WORK/com1" "$WORK/sim-tty" "$RAW_FILE" \
    >"$WORK/tap-$name.out" 2>>"$OUT/tap-stderr.log" &
  TAP_PID=$!
  wait_for_line "$WORK/tap-$name.out"
}

sim_stop() {
  local pid
  for pid in $TAP_PID $SIM_PID; do
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  TAP_PID=""
  SIM_PID=""
}

wait_for_line() {
  local i
  for ((i = 0; i < 100; i++)); do
    [[ -s $1 ]] && return 0
    sleep 0.05
  done
  echo "run-e2e: nothing on $1" >&2
  return 1
}

raw_size() { stat -c %s "$RAW_FILE"; }

# expect_line BYTES: the program sent exactly BYTES (printf %b notation) since
# the last check, and the device logged it as one received line.
expect_line() {
  local expected
  expected=$(printf '%b' "$1" | od -An -c | tr -s ' ')
  local length
  length=$(printf '%b' "$1" | wc -c)
  local deadline=$(($(now_ms) + 3000))
  while (($(raw_size) < RAW_OFFSET + length && $(now_ms) < deadline)); do
    sleep 0.05
  done
  local actual
  actual=$(tail -c +$((RAW_OFFSET + 1)) "$RAW_FILE" | od -An -c | tr -s ' ')
  RAW_OFFSET=$(raw_size)
  if [[ $actual != "$expected" ]]; then
    CHECK_DETAIL="sent: ${actual:-nothing}; expected: $expected"
    return 1
  fi
  # The device saw it as one line (its log drops the CR LF).
  local line=${1%\\r\\n} rx=""
  deadline=$(($(now_ms) + 2000))
  while (($(now_ms) < deadline)); do
    rx=$(grep -a ' RX ' "$SIM_LOG" 2>/dev/null | sed -n "$((SIM_RX_SEEN + 1))p")
    [[ -n $rx ]] && break
    sleep 0.05
  done
  SIM_RX_SEEN=$(grep -ac ' RX ' "$SIM_LOG")
  if [[ ${rx#* RX } != "$line" ]]; then
    CHECK_DETAIL="device log: ${rx:-nothing}; expected RX $line"
    return 1
  fi
}

# expect_lines BYTES COUNT: like expect_line for COUNT lines sent one after
# another: the exact bytes, and the device logged each as one line.
expect_lines() {
  local expected length actual
  expected=$(printf '%b' "$1" | od -An -c | tr -s ' ')
  length=$(printf '%b' "$1" | wc -c)
  local deadline=$(($(now_ms) + 5000))
  while (($(raw_size) < RAW_OFFSET + length && $(now_ms) < deadline)); do
    sleep 0.05
  done
  actual=$(tail -c +$((RAW_OFFSET + 1)) "$RAW_FILE" | od -An -c | tr -s ' ')
  RAW_OFFSET=$(raw_size)
  if [[ $actual != "$expected" ]]; then
    CHECK_DETAIL="sent: ${actual:0:300}; expected: ${expected:0:300}"
    return 1
  fi
  local lines received
  lines=$(printf '%b' "$1" | tr -d '\r')
  deadline=$(($(now_ms) + 3000))
  while (($(grep -ac ' RX ' "$SIM_LOG") < SIM_RX_SEEN + $2 &&
    $(now_ms) < deadline)); do
    sleep 0.05
  done
  received=$(grep -a ' RX ' "$SIM_LOG" | sed -n "$((SIM_RX_SEEN + 1)),$((SIM_RX_SEEN + $2))p" |
    sed 's/^[^ ]* RX //')
  SIM_RX_SEEN=$(grep -ac ' RX ' "$SIM_LOG")
  if [[ $received != "$lines" ]]; then
    CHECK_DETAIL="device log: ${received:0:300}"
    return 1
  fi
}

# --- The program --------------------------------------------------------------

program_start_boxes() {
  (cd "$WORK" && exec wine "$EXE") >>"$OUT/program-$1.log" 2>&1 &
  PROG_PID=$!
}

# Starts the program and waits for its main window (MAIN).
program_start() {
  program_start_boxes main
  if drv find VQX460 VQX-460 30000; then
    MAIN=$(answer_word 1)
    return 0
  fi
  return 1
}

# program_wait PID SECONDS: sets EXIT_CODE to the exit code, or "running".
program_wait() {
  local pid=$1 deadline=$(($(now_ms) + $2 * 1000))
  EXIT_CODE=running
  while kill -0 "$pid" 2>/dev/null; do
    (($(now_ms) > deadline)) && return 1
    sleep 0.05
  done
  wait "$pid"
  EXIT_CODE=$?
}

# --- Boxes, dialogs, controls ----------------------------------------------

# expect_box CAPTION TEXT TIMEOUT_MS [SCREENSHOT]: a message box with that
# caption and text shows, is photographed and closed with its OK button.
expect_box() {
  local caption=$1 text=$2 timeout=$3 name=${4:-}
  if ! drv box "$caption" "$timeout"; then
    fail "box \"$caption\" \"$text\" shows" "$DRV_ANSWER"
    return 1
  fi
  local hwnd shown
  hwnd=$(answer_word 1)
  shown=$(answer_text)
  [[ -n $name ]] && shot "$name" "$hwnd"
  drv click "$hwnd" 1 && drv gone "$hwnd" 3000 ||
    fail "box \"$caption\" closes with OK" "$DRV_ANSWER"
  check "box \"$caption\" says \"$text\"" '[[ $shown == "$text" ]]' ||
    log "shown: $shown"
  [[ $shown == "$text" ]]
}

# Closes any result box left open.
close_boxes() {
  local caption
  for caption in Error Success; do
    while drv find '#32770' "$caption" 0; do
      local hwnd
      hwnd=$(answer_word 1)
      drv click "$hwnd" 1
      drv gone "$hwnd" 3000 || break
    done
  done
}

# open_dialog COMMAND_ID CAPTION VARIABLE
open_dialog() {
  drv menu "$MAIN" "$1"
  if drv find '#32770' "$2" 5000; then
    printf -v "$3" '%s' "$(answer_word 1)"
    pass "command $1 opens \"$2\""
    return 0
  fi
  fail "command $1 opens \"$2\"" "$DRV_ANSWER"
  drv list '#32770'
  log "windows: $DRV_ANSWER"
  return 1
}

check_items() {
  local dialog=$1 id=$2 want=$3
  check "combo $id lists $want" \
    'drv items "$dialog" "$id" && [[ ${DRV_ANSWER#OK } == "$want" ]]'
}

check_selected() {
  local dialog=$1 id=$2 want=$3
  check "combo $id shows item $want" \
    'drv selected "$dialog" "$id" && [[ $(answer_word 1) == "$want" ]]'
}

# send_and_expect NAME DIALOG BUTTON BYTES CAPTION TEXT [SCREENSHOT]
send_and_expect() {
  local name=$1 dialog=$2 button=$3 bytes=$4 caption=$5 text=$6 shot=${7:-}
  drv click "$dialog" "$button"
  check "$name: sends ${bytes//\\r\\n/ CR LF}" 'expect_line "$bytes"'
  expect_box "$caption" "$text" 5000 "$shot"
}

hold_time_refused() {
  local text=$1 shot=${2:-} before
  drv set-text "$ALARM" 1001 "$text"
  before=$(raw_size)
  drv click "$ALARM" 1007
  expect_box Error "3秒以上を設定してください。" 5000 "$shot"
  sleep 0.3
  check "hold time \"$text\" sends nothing" '(($(raw_size) == before))'
  RAW_OFFSET=$(raw_size)
}

no_connect_check() {
  local dialog=$1 button=$2 bytes=$3 shot=$4 started elapsed
  started=$(now_ms)
  drv click "$dialog" "$button"
  check "silent device: sends ${bytes//\\r\\n/ CR LF}" 'expect_line "$bytes"'
  if drv box Error 12000; then
    elapsed=$(($(now_ms) - started))
    local hwnd shown
    hwnd=$(answer_word 1)
    shown=$(answer_text)
    shot "$shot" "$hwnd"
    drv click "$hwnd" 1
    drv gone "$hwnd" 3000
    check "silent device: \"No Connect\"" '[[ $shown == "No Connect" ]]'
    check "silent device: box after 7.5 to 9 s (took ${elapsed} ms)" \
      '((elapsed >= 7500 && elapsed <= 9000))'
  else
    fail "silent device: \"No Connect\" within 12 s" "$DRV_ANSWER"
  fi
}

broadcast_check() {
  local dialog=$1 button=$2 bytes=$3
  drv click "$dialog" "$button"
  check "broadcast: sends ${bytes//\\r\\n/ CR LF}" 'expect_line "$bytes"'
  check "broadcast: no \"No Connect\" within 9.5 s" 'drv no-box Error 9500'
  check "broadcast: no \"Success\" either" \
    'drv count "#32770" Success && [[ $(answer_word 1) == 0 ]]'
}

quit_check() {
  drv menu "$MAIN" 121
  program_wait "$PROG_PID" 10
  local code=$EXIT_CODE
  if [[ $code == running ]]; then
    drv list '#32770'
    fail "quit without unsaved changes ends the program" "$DRV_ANSWER"
    kill "$PROG_PID" 2>/dev/null
    wait "$PROG_PID" 2>/dev/null
  else
    pass "quit without unsaved changes asks nothing and ends the program"
    check "exit code 0 (got $code)" '[[ $code == 0 ]]'
  fi
  PROG_PID=""
  MAIN=""
}

second_instance_check() {
  local pid code
  (cd "$WORK" && exec wine "$EXE") >>"$OUT/program-second.log" 2>&1 &
  pid=$!
  expect_box VQX-460 "２重に起動はできません" 20000 02-box-second-instance
  program_wait "$pid" 10
  code=$EXIT_CODE
  check "second instance ends with exit code 0 (got $code)" '[[ $code == 0 ]]'
  [[ $code == running ]] && kill "$pid" 2>/dev/null
  check "first instance still there" \
    'drv find VQX460 VQX-460 0 && [[ $(answer_word 1) == "$MAIN" ]]'
}

# The status bar against the clock of this machine: the date with the
# Japanese weekday in part 0, the time with full-width colons in part 1.
check_status_bar() {
  local date_text="" time_text="" i
  for ((i = 0; i < 50; i++)); do
    drv status "$MAIN" 520 0 && date_text=$(answer_text)
    [[ -n $date_text ]] && break
    sleep 0.1
  done
  drv status "$MAIN" 520 1 && time_text=$(answer_text)
  local -a weekdays=(日曜日 月曜日 火曜日 水曜日 木曜日 金曜日 土曜日)
  local expected=() stamp y m d w
  for stamp in "now - 5 seconds" "now"; do
    read -r y m d w <<<"$(date -d "$stamp" '+%Y %m %d %w')"
    expected+=("$(printf '%4d年%2d月%2d日  %s' "$((10#$y))" "$((10#$m))" \
      "$((10#$d))" "${weekdays[w]}")")
  done
  CHECK_DETAIL="shown: \"$date_text\", expected: \"${expected[1]}\""
  check "status bar date with weekday: $date_text" \
    '[[ $date_text == "${expected[0]}" || $date_text == "${expected[1]}" ]]'
  local now_seconds shown_seconds diff
  now_seconds=$(date '+%H %M %S' | {
    read -r h mi s
    echo $((10#$h * 3600 + 10#$mi * 60 + 10#$s))
  })
  if [[ $time_text =~ ^([0-9]{2})：([0-9]{2})：([0-9]{2})$ ]]; then
    shown_seconds=$((10#${BASH_REMATCH[1]} * 3600 + 10#${BASH_REMATCH[2]} * 60 + 10#${BASH_REMATCH[3]}))
    diff=$(((now_seconds - shown_seconds + 86400) % 86400))
    ((diff > 43200)) && diff=$((86400 - diff))
    check "status bar time with full-width colons: $time_text (${diff} s off)" \
      '((diff <= 3))'
  else
    fail "status bar time with full-width colons" "shown: \"$time_text\""
  fi
}

# --- The program's INI file ---------------------------------------------------

ini_file() {
  local file
  for file in "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/VQX-460/vqx460j.ini; do
    [[ -f $file ]] && {
      echo "$file"
      return 0
    }
  done
  return 1
}

ini_text() {
  local file
  file=$(ini_file) || return 0
  if [[ $(head -c 2 "$file" | od -An -tx1 | tr -d ' ') == fffe ]]; then
    iconv -f UTF-16 -t UTF-8 "$file"
  else
    cat "$file"
  fi | tr -d '\r'
}

ini_has() {
  CHECK_DETAIL="INI: $(ini_text | tr '\n' ' ')"
  ini_text | grep -qx "$1=$2"
}

# ini_set KEY VALUE, with the program not running.
ini_set() {
  local file text
  if ! file=$(ini_file); then
    file=$(echo "$WINEPREFIX"/drive_c/users/*/AppData/Roaming)/VQX-460/vqx460j.ini
    mkdir -p "$(dirname "$file")"
    printf '[VQX-460J_Section]\r\n' >"$file"
  fi
  text=$(ini_text | grep -v "^$1=")
  printf '%s\n%s=%s\n' "$text" "$1" "$2" | sed 's/$/\r/' >"$file"
}

# --- Screenshots --------------------------------------------------------------

# shot NAME HWND: the window as it is on the screen.
shot() {
  local name=$1 x y w h
  sleep 0.25 # let it paint
  drv rect "$2" || return 0
  read -r x y w h <<<"${DRV_ANSWER#OK }"
  ((w > 0 && h > 0)) || return 0
  ((x < 0)) && x=0
  ((y < 0)) && y=0
  import -display "$DISPLAY" -window root -crop "${w}x${h}+${x}+${y}" +repage \
    "$SHOTS/$name.png" 2>>"$OUT/screenshots.log" ||
    log "screenshot $name failed"
}

shot_screen() {
  sleep 0.25
  import -display "$DISPLAY" -window root "$SHOTS/$1.png" \
    2>>"$OUT/screenshots.log" || log "screenshot $1 failed"
}
