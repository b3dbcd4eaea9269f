# The installer's tools end to end (sourced by tests/e2e/run-e2e after
# lib.sh and files_and_sequences.sh), on an RS-485 line whose adapter echoes
# every byte, with devices at 03 and 17: the address scan, the traffic log
# window and its file, a reply-paced read-all compared with a file, and a
# reply-paced send-all through the echoing line.

# lines_text DIALOG ID: the list box's lines, one per output line.
lines_text() {
  drv lines "$1" "$2" || return 1
  local rest=${DRV_ANSWER#OK * } line
  rest=${rest#\"}
  rest=${rest%\"}
  while [[ -n $rest ]]; do
    line=${rest%%\" \"*}
    printf '%s\n' "$line"
    [[ $rest == *\"\ \"* ]] || break
    rest=${rest#*\" \"}
  done
}

e2e_address_scan() {
  e2e_section "address scan"
  local SA started elapsed
  open_dialog 32790 "機器のスレーブアドレス " SA || return
  started=$(now_ms)
  drv click "$SA" 1084
  local i
  for ((i = 0; i < 300; i++)); do
    drv text "$SA" 1084 && [[ $(answer_text) == "検索" ]] && break
    sleep 0.1
  done
  elapsed=$(($(now_ms) - started))
  shot 38-address-scan "$SA"
  check "the scan takes seconds, not minutes (${elapsed} ms)" \
    '((elapsed < 30000))'
  check "the scan lists the devices at 03 and 17" \
    'drv lines "$SA" 1086 && [[ ${DRV_ANSWER#OK } == "2 \"03  VN1.00\" \"17  VN1.00\"" ]]'
  check "no box after the scan" 'drv no-box Success 800'
  drv choose "$SA" 1086 1
  check_selected "$SA" 1005 17
  close_dialog "$SA"
  RAW_OFFSET=$(raw_size)
  SIM_RX_SEEN=$(grep -ac ' RX ' "$SIM_LOG")
  local AL
  open_dialog 32779 "アラーム " AL || return
  set_line "the next line carries the address chosen" "$AL" 1009 \
    '17ADON\r\n'
  close_dialog "$AL"
}

e2e_traffic_log() {
  e2e_section "traffic log window"
  local LOG
  drv menu "$MAIN" 32820
  if ! drv find '#32770' "通信ログ" 5000; then
    fail "menu 表示 > 通信ログ opens the log window" "$DRV_ANSWER"
    return
  fi
  LOG=$(answer_word 1)
  pass "menu 表示 > 通信ログ opens the log window"
  sleep 0.5
  shot 39-traffic-log "$LOG"
  local rows
  rows=$(lines_text "$LOG" 1090)
  check "the log shows the line sent with its address" \
    'grep -qP "\tTX\t17\tADON<CR><LF>\t" <<<"$rows"'
  check "the log marks the adapter's echo" \
    'grep -qP "\tRX\t17\tADON<CR><LF>\t.*echo" <<<"$rows"'
  check "the log shows the reply GO with its meaning" \
    'grep -qP "\tRX\t17\tGO<CR><LF>\tSuccess" <<<"$rows"'
  drv click "$LOG" 1091
  file_dialog "通信ログの保存" "$WORK/traffic.txt"
  wait_for_file "$WORK/traffic.txt"
  check "the saved log is UTF-8 text with the same lines" \
    'grep -q "ADON<CR><LF>" "$WORK/traffic.txt" &&
      grep -q "Success" "$WORK/traffic.txt" &&
      iconv -f UTF-8 -t UTF-8 "$WORK/traffic.txt" >/dev/null'
  drv click "$LOG" 1092
  check "クリア empties the window" \
    'sleep 0.5; drv lines "$LOG" 1090 && [[ $(answer_word 1) == 0 ]]'
  check "the window does not block the main window" \
    'drv enabled "$MAIN" && [[ $(answer_word 1) == 1 ]]'
  drv click "$LOG" 2
  check "Close ends the log window" 'drv gone "$LOG" 3000'
}

e2e_compare_after_read_all() {
  e2e_section "reply-paced read-all, then compare with a file"
  local RA CMP
  open_dialog 32789 "設定項目の読み込み" RA || return
  check "the 高速 box starts unticked" \
    'drv checked "$RA" 1080 && [[ $(answer_word 1) == 0 ]]'
  drv click "$RA" 1080
  check "ticking 高速 writes fast=1 at once" 'ini_has fast 1'
  drv click "$RA" 1078
  check "the reply-paced read-all ends in a few seconds" 'drv gone "$RA" 15000'
  expect_box Success Success 5000
  check "every group was read" 'drv no-box Error 1500'
  drv menu "$MAIN" 32821
  file_dialog "比較するファイル" "$WORK/factory.dat"
  if ! drv find '#32770' "ファイルと比較" 5000; then
    fail "the comparison window shows" "$DRV_ANSWER"
    return
  fi
  CMP=$(answer_word 1)
  shot 40-compare "$CMP"
  local shown expected
  shown=$(lines_text "$CMP" 1095 | cut -d' ' -f1 | sort)
  # The device started from device-state.dat; the address scan's test then
  # set its alarm display ON, as the factory file has it.
  expected=$("$CTL" diff "$WORK/device-state.dat" "$WORK/factory.dat" |
    cut -d' ' -f1 | grep -vx 'alarm_display:' | sort)
  check "the window lists exactly the fields the device changed" \
    '[[ -n $expected && $shown == "$expected" ]] ||
      { CHECK_DETAIL=$(diff <(echo "$shown") <(echo "$expected") |
        head -c 600 | tr "\n" " "); false; }'
  close_dialog "$CMP"
}

e2e_echo_send_all() {
  e2e_section "reply-paced send-all through an echoing line"
  local SA started elapsed
  open_dialog 32788 "全項目の設定" SA || return
  check "the 高速 box remembers its choice" \
    'drv checked "$SA" 1080 && [[ $(answer_word 1) == 1 ]]'
  RAW_OFFSET=$(raw_size)
  SIM_RX_SEEN=$(grep -ac ' RX 17' "$SIM_LOG")
  started=$(now_ms)
  drv click "$SA" 1048
  check "the send-all finishes in a few seconds" 'drv gone "$SA" 15000'
  elapsed=$(($(now_ms) - started))
  log "reply-paced send-all took $elapsed ms"
  check "78 lines to address 17, each answered (${elapsed} ms)" \
    '(($(grep -ac " RX 17" "$SIM_LOG") - SIM_RX_SEEN == 78)) &&
      ((elapsed < 10000))'
  expect_box Success Success 5000
  check "no error box" 'drv no-box Error 1000'
}
