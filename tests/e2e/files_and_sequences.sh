# Titles, settings files, read-all and send-all end to end (sourced by
# tests/e2e/run-e2e after lib.sh): a title typed in Japanese goes out as its
# "CJ" line and survives Save, New and Open byte for byte; the File menu's
# dialogs, questions and messages; read-all from a device in a state far
# from the factory one, checked through the file it saves; send-all of a
# file, checked against the device's own state; an error reply that stops a
# send-all; the question at exit.

CTL=""

# The device's state far from the factory one, as a settings file, in every
# group and with titles the device keeps as they are (no trailing blanks):
# what a complete read-all must bring into the program.
make_device_state() { # <file>
  local file=$1 defaults=$WORK/factory.dat
  "$CTL" defaults -o "$defaults" >/dev/null || return 1
  local -A value=(
    [1]=1 [2]=1 [3]=045 [4]=0 [5]=0 [14]=0 [15]=1 [16]=1 [17]=0 [18]=5
    [19]=0 [20]=0 [21]=0 [22]=1 [23]=1 [93]=1 [94]=2 [95]=3 [105]=3
    [106]=12 [145]=1
  )
  local n
  for n in 6 7 8 9 10 11 12 13; do value[$n]=$((n % 2)); done
  for n in {40..52}; do value[$n]=$((n - 35)); done
  for n in {53..60}; do value[$n]=$(((n - 52) * 10)); done
  for n in {61..68}; do value[$n]=100; done
  for n in {69..76}; do value[$n]=7; done
  for n in {77..84}; do value[$n]=200; done
  for n in {85..92}; do value[$n]=30; done
  for n in {97..104}; do value[$n]=$(((n - 97) % 7)); done
  for n in {146..153}; do value[$n]=$((n % 2)); done
  local -a panes=(7 6 5 4 0 1 2 3 3 2 1 0 7 6 5 4 3 2 1 0 7 6 5 4 3 2 1 0)
  for n in {117..144}; do value[$n]=${panes[n - 117]}; done
  local -a titles=(日本 カメラ１ カメラ２ 玄関 裏口 車庫 廊下 ＡＢＣＤＥＦＧＨＩＪ)
  for n in {107..114}; do
    value[$n]=$(printf '%s' "${titles[n - 107]}" | iconv -f UTF-8 -t CP932)
  done
  n=0
  local line
  while IFS= read -r line; do
    n=$((n + 1))
    if [[ -n ${value[$n]+set} ]]; then
      printf '%s\r\n' "${value[$n]}"
    else
      printf '%s\n' "$line"
    fi
  done <"$defaults" >"$file"
}

# file_dialog CAPTION UNIX_PATH: the program's file dialog with that caption
# is given the path (as Windows names it) and confirmed.
file_dialog() {
  local caption=$1 path=$2 chooser
  if ! drv find '#32770' "$caption" 10000; then
    fail "file dialog \"$caption\" shows" "$DRV_ANSWER"
    return 1
  fi
  chooser=$(answer_word 1)
  drv set-text "$chooser" 1148 "$(winepath -w "$path" 2>/dev/null)" &&
    drv command "$chooser" 1 && drv gone "$chooser" 5000
}

# file_dialog_cancel CAPTION
file_dialog_cancel() {
  local chooser
  drv find '#32770' "$1" 10000 || return 1
  chooser=$(answer_word 1)
  drv command "$chooser" 2 && drv gone "$chooser" 5000
}

# answer_question TEXT BUTTON: the question box (caption "VQX-460") says
# TEXT and gets BUTTON (6 Yes, 7 No).
answer_question() {
  local box question=$1
  if ! drv box VQX-460 10000; then
    fail "question \"$question\"" "$DRV_ANSWER"
    return 1
  fi
  box=$(answer_word 1)
  check "question \"$question\"" '[[ $(answer_text) == "$question" ]]'
  drv click "$box" "$2" && drv gone "$box" 3000
}

# wait_for_file PATH: the program writes after its file dialog has closed.
wait_for_file() {
  local i
  for ((i = 0; i < 60; i++)); do
    [[ -f $1 ]] && return 0
    sleep 0.05
  done
  return 1
}

# The comparable listing of a settings file: what travels in both
# directions, titles without their trailing full-width blanks.
comparable_listing() {
  "$CTL" show "$1" | grep -v -e '^title_pos_' -e '^layout_2' -e '^misc_dss_mode' |
    sed -E 's/^(title_text[^=]*= ")(.*)" \([0-9]+ bytes\)$/\1\2"/; s/(　)+"$/"/'
}

# The eight title lines of the factory titles, channel 1's replaced by
# `title_line`.
title_lines() { # <title line>
  local lines=$1 k
  for k in 2 3 4 5 6 7 8; do
    lines+="CJ0${k}212121212121234323482330233${k}212121212121\\r\\n"
  done
  printf '%s' "$lines"
}

# The 78 lines of a send-all of the factory settings, channel 1's title
# replaced by `title_line`.
send_all_lines() { # <title line>
  local lines k adjustment value
  lines=$(title_lines "$1")
  for adjustment in B:000 C:064 SH:00 H:000 SA:080; do
    for k in 1 2 3 4 5 6 7 8; do
      value=${adjustment#*:}
      lines+="VA${adjustment%%:*}0${k}${value}\\r\\n"
    done
  done
  local line
  for line in ADON ADT030 AMI APM ARON VLNNNNNNNN VLBCN VLSOOF VLDON TSDON \
    TSDR1 CTDSON CTDDON CASTM03030303030303030303030303 CASMM BLB CIA POSD9 \
    CTFSDS CTFSSL OOH08 OOV08 VF11111111 SPD4A01020304 SPD4B05060708 \
    SPD6A010203040506 SPD6B010203040708 SPD90102030405060708 NAR4 \
    AGCNNNNNNNN; do
    lines+="$line\\r\\n"
  done
  printf '%s' "$lines"
}

readonly KANJI_TITLE_LINE='CJ01383C3458252B2561256921212121212121212121\r\n'

e2e_title_dialog() {
  e2e_section "title dialog"
  open_by_toolbar 504 "タイトル "
  local TI
  open_dialog 32782 "タイトル " TI || return
  check "the edit box shows channel 1's title" \
    'drv text "$TI" 1045 && [[ $(answer_text) == "　　　ＣＨ０１　　　" ]]'
  check_items "$TI" 1044 \
    '8 "ch.01  " "ch.02  " "ch.03  " "ch.04  " "ch.05  " "ch.06  " "ch.07  " "ch.08  "'
  drv set-text "$TI" 1045 "玄関カメラ"
  set_line "title 玄関カメラ" "$TI" 1048 "$KANJI_TITLE_LINE"
  set_line "title 玄関カメラ, Don't form" "$TI" 1054 \
    'CJN01383C3458252B2561256921212121212121212121\r\n'
  drv select "$TI" 1044 2
  check "channel 3 shows its title" \
    'drv text "$TI" 1045 && [[ $(answer_text) == "　　　ＣＨ０３　　　" ]]'
  drv select "$TI" 1044 0
  sleep 0.6
  shot 31-title-dialog-preview "$TI"
  drv set-text "$TI" 1045 "ＡＢC"
  drv click "$TI" 1048
  expect_box Error "ＪＩＳ第１水準,第２水準以外の字が選択されてます" 5000 \
    32-box-jis
  nothing_sent "a title of odd length"
  drv set-text "$TI" 1045 "玄関カメラ"
  drv click "$TI" 1049
  check "title set-all disables Close" \
    'drv enabled "$TI" 2 && [[ $(answer_word 1) == 0 ]]'
  local i
  for ((i = 0; i < 50; i++)); do
    drv enabled "$TI" 2 && [[ $(answer_word 1) == 1 ]] && break
    sleep 0.1
  done
  check "title set-all sends the eight titles" \
    'expect_lines "$(title_lines "$KANJI_TITLE_LINE")" 8'
  check "the percentage is cleared after the run" \
    'drv text "$TI" 1053 && [[ $(answer_text) == "  " ]]'
  expect_box Success Success 5000
  close_dialog "$TI"
}

e2e_files() {
  e2e_section "settings files"
  drv menu "$MAIN" 32778
  file_dialog "ファイルの保存" "$WORK/site" &&
    pass "Save As with a name typed without .dat"
  check "saved as site.dat" 'wait_for_file "$WORK/site.dat"'
  check "153 lines with CR LF" \
    '(($(grep -c $'"'"'\r$'"'"' "$WORK/site.dat") == 153))'
  check "line 107 holds the title in Shift_JIS, padded" \
    '[[ $(sed -n 107p "$WORK/site.dat" | tr -d "\r" | iconv -f CP932 -t UTF-8) == "玄関カメラ　　　　　" ]]'
  check "the caption names the file" \
    'drv text "$MAIN" && [[ $(answer_text) == "VQX-460 - site.dat" ]]'

  drv menu "$MAIN" 32775  # New: nothing unsaved, so no question
  check "New asks nothing when nothing is unsaved" 'drv no-box VQX-460 800'
  local TI
  open_dialog 32782 "タイトル " TI &&
    check "New brought back the factory title" \
      'drv text "$TI" 1045 && [[ $(answer_text) == "　　　ＣＨ０１　　　" ]]' &&
    close_dialog "$TI"
  drv menu "$MAIN" 32777
  expect_box Error "Don't file open" 5000 33-box-no-file

  # Quitting with an unsaved title: No saves first; cancelling Save As keeps
  # the program running.
  open_dialog 32782 "タイトル " TI || return
  drv set-text "$TI" 1045 "日本"
  close_dialog "$TI"
  drv menu "$MAIN" 121
  answer_question "データを保存せずに終了しますか？" 7
  file_dialog_cancel "ファイルの保存" && pass "Save As cancelled"
  check "the program is still running" \
    'drv find VQX460 - 2000 && [[ $(answer_word 1) == "$MAIN" ]]'

  drv menu "$MAIN" 32776
  answer_question "データを保存せずに別のファイルを開きますか？" 6
  file_dialog "ファイルのオープン" "$WORK/site.dat" && pass "Open site.dat"
  open_dialog 32782 "タイトル " TI || return
  check "Open brought the title back" \
    'drv text "$TI" 1045 && [[ $(answer_text) == "玄関カメラ　　　　　" ]]'
  set_line "the title from the file" "$TI" 1048 "$KANJI_TITLE_LINE"
  close_dialog "$TI"
  drv menu "$MAIN" 32778
  file_dialog "ファイルの保存" "$WORK/again.dat"
  wait_for_file "$WORK/again.dat"
  check "Save As again.dat is byte for byte the file opened" \
    'cmp -s "$WORK/site.dat" "$WORK/again.dat"'
  check "the caption names the new file" \
    'drv text "$MAIN" && [[ $(answer_text) == "VQX-460 - again.dat" ]]'
}

e2e_read_all() {
  e2e_section "read-all"
  local i RA
  # The hidden way: ten context-menu requests in the screen's top-left
  # corner.
  for ((i = 0; i < 10; i++)); do drv context "$MAIN" 5 5; done
  if drv find '#32770' "設定項目の読み込み" 5000; then
    pass "ten requests in the corner open the read-all dialog"
    close_dialog "$(answer_word 1)"
  else
    fail "ten requests in the corner open the read-all dialog" "$DRV_ANSWER"
  fi
  open_dialog 32789 "設定項目の読み込み" RA || return
  drv click "$RA" 1078
  check "read-all disables Close" \
    'drv enabled "$RA" 2 && [[ $(answer_word 1) == 0 ]]'
  sleep 4
  shot 34-read-all-dialog "$RA"
  check "the bar moves" 'drv progress "$RA" 1052 && (($(answer_word 1) >= 5))'
  check "the dialog closes itself after the 79th command" \
    'drv gone "$RA" 40000'
  expect_box Success Success 10000
  check "no further box: every group was read" 'drv no-box Error 1500'
  RAW_OFFSET=$(raw_size)
  SIM_RX_SEEN=$(grep -ac ' RX ' "$SIM_LOG")
  drv menu "$MAIN" 32778
  file_dialog "ファイルの保存" "$WORK/read.dat"
  wait_for_file "$WORK/read.dat"
  check "the file saved after read-all equals the device's state" \
    'cmp -s "$WORK/device-state.dat" "$WORK/read.dat" ||
      { CHECK_DETAIL=$(diff <("$CTL" show "$WORK/device-state.dat") \
          <("$CTL" show "$WORK/read.dat") | head -5); false; }'
}

e2e_send_all() {
  e2e_section "send-all"
  drv menu "$MAIN" 32776
  file_dialog "ファイルのオープン" "$WORK/site.dat"
  local SA
  open_dialog 32788 "全項目の設定" SA || return
  RAW_OFFSET=$(raw_size)
  SIM_RX_SEEN=$(grep -ac ' RX ' "$SIM_LOG")
  drv click "$SA" 1048
  check "send-all disables Close" \
    'drv enabled "$SA" 2 && [[ $(answer_word 1) == 0 ]]'
  sleep 5
  shot 35-send-all-dialog "$SA"
  check "the percentage follows the run" \
    'drv text "$SA" 1053 && [[ $(answer_text) =~ ^[0-9]+$ ]]'
  check "the dialog closes itself after the 78th line" 'drv gone "$SA" 45000'
  check "send-all sends the 78 lines in order" \
    'expect_lines "$(send_all_lines "$KANJI_TITLE_LINE")" 78'
  local -a times
  mapfile -t times < <(sim_rx_times 78)
  local span=$((times[77] - times[0]))
  check "send-all lines about 500 ms apart (77 gaps in ${span} ms)" \
    '((span >= 37500 && span <= 40500))'
  expect_box Success Success 5000
  kill -USR1 "$SIM_PID"
  sleep 0.5
  check "the device now holds the file" \
    'diff <(comparable_listing "$WORK/site.dat") \
      <(comparable_listing "$WORK/device-saved.dat") >/dev/null ||
      { CHECK_DETAIL=$(diff <(comparable_listing "$WORK/site.dat") \
          <(comparable_listing "$WORK/device-saved.dat") | head -5); false; }'
}

# "高速": the same 78 lines, each as soon as the one before is answered.
e2e_fast_send_all() {
  e2e_section "reply-paced send-all"
  local SA started elapsed
  open_dialog 32788 "全項目の設定" SA || return
  drv click "$SA" 1080
  check "ticking 高速 writes fast=1 at once" 'ini_has fast 1'
  RAW_OFFSET=$(raw_size)
  SIM_RX_SEEN=$(grep -ac ' RX ' "$SIM_LOG")
  started=$(now_ms)
  drv click "$SA" 1048
  check "the send-all finishes in a few seconds" 'drv gone "$SA" 15000'
  elapsed=$(($(now_ms) - started))
  log "reply-paced send-all took $elapsed ms"
  check "the same 78 lines in order (${elapsed} ms)" \
    'expect_lines "$(send_all_lines "$KANJI_TITLE_LINE")" 78 &&
      ((elapsed < 10000))'
  expect_box Success Success 5000
  open_dialog 32788 "全項目の設定" SA &&
    check "the box stays ticked" \
      'drv checked "$SA" 1080 && [[ $(answer_word 1) == 1 ]]' &&
    drv click "$SA" 1080 && close_dialog "$SA"
}

e2e_send_all_stopped() {
  e2e_section "send-all stopped by an error reply"
  local SA
  open_dialog 32788 "全項目の設定" SA || return
  drv click "$SA" 1048
  expect_box Error "Command Error" 15000 36-box-send-all-error
  sleep 1
  check "step 11 was not sent" \
    '(($(grep -ac " RX " "$SIM_LOG") == 10))'
  check "the bar stays at 10 of 78" \
    'drv progress "$SA" 1052 && [[ $(answer_word 1) == 10 ]]'
  check "the percentage shows 12" \
    'drv text "$SA" 1053 && [[ $(answer_text) == 12 ]]'
  check "Close is enabled again and the dialog stays" \
    'drv enabled "$SA" 2 && [[ $(answer_word 1) == 1 ]]'
  shot 37-send-all-stopped "$SA"
  close_dialog "$SA"
}
