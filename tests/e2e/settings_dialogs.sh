# The settings dialogs end to end (sourced by tests/e2e/run-e2e after lib.sh):
# each is opened from its menu command and from its toolbar button, shown in
# a screenshot, its lists are checked, a choice is changed and a set button
# sends the exact line, which the simulated device answers with "GO".
# Expects the program (MAIN) to run against an RS-232C device that answers
# every command.

# open_by_toolbar TOOLBAR_ID CAPTION: the toolbar button opens the dialog,
# which Close closes.
open_by_toolbar() {
  local id=$1 caption=$2 dialog
  open_dialog "$id" "$caption" dialog &&
    check "toolbar button $id: Close closes \"$caption\"" \
      'drv click "$dialog" 2 && drv gone "$dialog" 3000'
}

# close_dialog DIALOG: Close ends it.
close_dialog() {
  drv click "$1" 2
  check "Close ends the dialog" 'drv gone "$1" 3000'
}

# set_line NAME DIALOG BUTTON BYTES: a set button sends exactly BYTES and the
# device's "GO" shows "Success".
set_line() {
  send_and_expect "$1" "$2" "$3" "$4" Success Success
}

# nothing_sent NAME: no byte went out since the last check.
nothing_sent() {
  sleep 0.5
  check "$1 sends nothing" '(($(raw_size) == RAW_OFFSET))'
  RAW_OFFSET=$(raw_size)
}

# sim_rx_times: the device's receive times (seconds since midnight, with
# milliseconds) of its last N received lines, one per line.
sim_rx_times() {
  grep -a ' RX ' "$SIM_LOG" | tail -n "$1" | while read -r stamp _; do
    IFS=:. read -r h m s ms <<<"$stamp"
    printf '%d\n' $(((10#$h * 3600 + 10#$m * 60 + 10#$s) * 1000 + 10#$ms))
  done
}

# The serial settings dialog lists the port above COM9 the program opened,
# and the dialogs below all talk through it.
e2e_serial_port_list() {
  e2e_section "serial ports beyond COM6"
  local SERIAL
  open_dialog 32791 "シリアル通信の設定" SERIAL || return
  check "COM 1..COM 6 come first" \
    'drv items "$SERIAL" 1072 &&
      [[ ${DRV_ANSWER#OK * } == "\"COM 1\" \"COM 2\" \"COM 3\" \"COM 4\" \"COM 5\" \"COM 6\""* ]]'
  check "COM12 is listed and chosen" \
    'drv selected "$SERIAL" 1072 && (($(answer_word 1) >= 6)) &&
      drv items "$SERIAL" 1072 && [[ $DRV_ANSWER == *\"COM12* ]]'
  shot 41-serial-settings-com12 "$SERIAL"
  check "the echo box starts unticked" \
    'drv checked "$SERIAL" 1077 && [[ $(answer_word 1) == 0 ]]'
  drv click "$SERIAL" 2
  drv gone "$SERIAL" 3000
}

e2e_video_loss_dialog() {
  e2e_section "video loss dialog"
  open_by_toolbar 502 "ビデオロス "
  local VL
  open_dialog 32780 "ビデオロス " VL || return
  shot 20-video-loss-dialog "$VL"
  check_items "$VL" 1011 '2 "OFF" " ON"'
  check_items "$VL" 1015 '2 " 黒" " 青"'
  check_selected "$VL" 1028 1
  check_selected "$VL" 1022 0
  check "slave address list disabled in RS-232C" \
    'drv enabled "$VL" 1005 && [[ $(answer_word 1) == 0 ]]'
  set_line "ch.05 ON" "$VL" 1029 'VL05ON\r\n'
  drv select "$VL" 1028 0
  set_line "ch.08 OFF" "$VL" 1032 'VL08OF\r\n'
  drv select "$VL" 1015 1
  set_line "background blue" "$VL" 1020 'VLBCB\r\n'
  drv select "$VL" 1022 1
  set_line "signal output ON" "$VL" 1024 'VLSOON\r\n'
  drv select "$VL" 1021 0
  set_line "display OFF" "$VL" 1023 'VLDOF\r\n'
  # A choice without its set button: nothing goes out, the choice stays.
  drv select "$VL" 1011 0
  close_dialog "$VL"
  nothing_sent "closing the video loss dialog"
  open_dialog 32780 "ビデオロス " VL || return
  check_selected "$VL" 1011 0
  check_selected "$VL" 1028 0
  close_dialog "$VL"
}

e2e_date_time_dialog() {
  e2e_section "date and time dialog"
  open_by_toolbar 503 "日付・時刻 "
  local DT
  open_dialog 32817 "日付・時刻 " DT || return
  shot 21-date-time-dialog "$DT"
  check "year list 2000..2099" \
    'drv items "$DT" 1021 && [[ $(answer_word 1) == 100 &&
      $DRV_ANSWER == *\"2000\"\ \"2001\"* && $DRV_ANSWER == *\"2099\" ]]'
  check_items "$DT" 1031 '2 "OFF" "ON "'
  check "the year list opens on this year" \
    'drv selected "$DT" 1021 && (($(answer_word 1) == $(date +%Y) - 2000))'
  # The whole date and time as the lists show it.
  local -a sel=()
  local id
  for id in 1021 1023 1025 1026 1027 1028; do
    drv selected "$DT" "$id"
    sel+=("$(answer_word 1)")
  done
  local expected
  expected=$(printf 'TDS%02d%02d%02d%02d%02d%02d\\r\\n' "${sel[0]}" \
    $((sel[1] + 1)) $((sel[2] + 1)) "${sel[3]}" "${sel[4]}" "${sel[5]}")
  set_line "年月日時分秒 from the lists" "$DT" 1122 "$expected"
  drv select "$DT" 1023 2
  set_line "month March" "$DT" 1033 'DSM03\r\n'
  drv select "$DT" 1027 5
  set_line "minute 5" "$DT" 1036 'TSM05\r\n'
  set_line "30-second correction" "$DT" 1041 'TSA\r\n'
  drv select "$DT" 1030 7
  set_line "display range 　　　時分　" "$DT" 1040 'TSDR8\r\n'
  drv select "$DT" 1031 0
  set_line "display OFF" "$DT" 1037 'TSDOF\r\n'
  close_dialog "$DT"
}

e2e_auto_switching_dialog() {
  e2e_section "auto switching dialog"
  open_by_toolbar 505 "自動切換え "
  local AS
  open_dialog 32784 "自動切換え " AS || return
  check "entry list of 13" \
    'drv items "$AS" 1044 && [[ $(answer_word 1) == 13 &&
      $DRV_ANSWER == *\"ch.01\ \"* && $DRV_ANSWER == *\"9分割\ \" ]]'
  check_items "$AS" 1045 '3 "単画面　" "分割画面" "ミックス"'
  check_selected "$AS" 1056 3
  set_line "times, defaults" "$AS" 1057 'CASTM03030303030303030303030303\r\n'
  drv select "$AS" 1044 10
  drv select "$AS" 1055 12
  shot 22-auto-switching-dialog "$AS"
  set_line "6分割A at 12 s" "$AS" 1057 'CASTM03030303030303030303120303\r\n'
  drv select "$AS" 1056 0
  drv click "$AS" 1057
  expect_box Error "ch.01～ch.08, 4分割A～9分割を全て0秒に設定することはできません。" 5000 \
    23-box-all-zero
  nothing_sent "the all-zero times"
  drv select "$AS" 1056 5
  drv select "$AS" 1045 1
  set_line "mode split" "$AS" 1058 'CASMD\r\n'
  check "Enter leaves the dialog open" \
    'drv command "$AS" 1 && ! drv gone "$AS" 500'
  close_dialog "$AS"
  open_dialog 32784 "自動切換え " AS || return
  check_selected "$AS" 1044 10
  check_selected "$AS" 1055 5
  check_selected "$AS" 1056 3
  close_dialog "$AS"
}

e2e_video_format_dialog() {
  e2e_section "video format dialog"
  open_by_toolbar 508 "ビデオフォーマット "
  local VF
  open_dialog 32818 "ビデオフォーマット " VF || return
  shot 24-video-format-dialog "$VF"
  check_items "$VF" 1006 \
    '7 "AHD 1920" "AHD  720" "TVI 1920" "TVI  720" "CVI 1920" "CVI  720" "NTSC    "'
  set_line "all, defaults" "$VF" 1131 'VF11111111\r\n'
  drv select "$VF" 1006 4
  drv select "$VF" 1125 1
  set_line "CVI 1920 for all, ch.02 AHD 720" "$VF" 1131 'VF52555555\r\n'
  drv select "$VF" 1135 2
  set_line "ch.08 TVI 1920" "$VF" 1139 'VF083\r\n'
  close_dialog "$VF"
  open_dialog 32818 "ビデオフォーマット " VF || return
  check_selected "$VF" 1006 4
  close_dialog "$VF"
}

e2e_agc_dialog() {
  e2e_section "AGC dialog"
  open_by_toolbar 509 "オート・ゲイン・コントロール "
  local AG
  open_dialog 32819 "オート・ゲイン・コントロール " AG || return
  shot 25-agc-dialog "$AG"
  check_items "$AG" 1134 '2 "OFF" " ON"'
  set_line "ch.06 ON" "$AG" 1139 'AGC06ON\r\n'
  drv select "$AG" 1132 0
  set_line "ch.01 OFF" "$AG" 1133 'AGC01OF\r\n'
  set_line "ch.05 (list 1134) ON" "$AG" 1135 'AGC05ON\r\n'
  close_dialog "$AG"
}

e2e_slave_address_dialog() {
  e2e_section "slave address dialog"
  local SA
  open_dialog 32790 "機器のスレーブアドレス " SA || return
  shot 26-slave-address-dialog "$SA"
  check "the list is usable in RS-232C too" \
    'drv enabled "$SA" 1005 && [[ $(answer_word 1) == 1 ]]'
  check_selected "$SA" 1005 0
  drv select "$SA" 1005 7
  close_dialog "$SA"
  nothing_sent "choosing an address"
  open_dialog 32790 "機器のスレーブアドレス " SA || return
  check_selected "$SA" 1005 7
  drv select "$SA" 1005 0
  close_dialog "$SA"
}

e2e_display_channel_dialog() {
  e2e_section "display channel dialog"
  open_by_toolbar 507 "表示チャンネル "
  local DC
  open_dialog 32785 "表示チャンネル " DC || return
  shot 27-display-channel-dialog "$DC"
  check "screen list of 14" \
    'drv items "$DC" 1111 && [[ $(answer_word 1) == 14 &&
      $DRV_ANSWER == *\"9分割\ \"\ \"自動\ \ \" ]]'
  check_items "$DC" 1150 \
    '8 "ch.01 " "ch.02 " "ch.03 " "ch.04 " "ch.05 " "ch.06 " "ch.07 " "ch.08 "'
  set_line "screen ch.01" "$DC" 1112 'CS01\r\n'
  drv select "$DC" 1111 7
  set_line "screen ch.08" "$DC" 1112 'CS08\r\n'
  drv select "$DC" 1111 12
  set_line "screen 9-split" "$DC" 1112 'CD9\r\n'
  drv select "$DC" 1111 13
  set_line "automatic switching" "$DC" 1112 'CCAS\r\n'
  set_line "4A" "$DC" 1115 'SPD4A01020304\r\n'
  set_line "4A Don't" "$DC" 1116 'SPD4AN01020304\r\n'
  set_line "4B" "$DC" 1124 'SPD4B05060708\r\n'
  set_line "6B Don't" "$DC" 1140 'SPD6BN010203040708\r\n'
  drv select "$DC" 1141 2
  drv select "$DC" 1150 2
  drv click "$DC" 1147
  expect_box Error "同じチャンネルは､設定できません！" 5000 28-box-duplicate-channel
  nothing_sent "a duplicate 9-split"
  set_line "6A while 9 holds a duplicate" "$DC" 1131 'SPD6A010203040506\r\n'
  drv select "$DC" 1141 0
  drv select "$DC" 1150 7
  set_line "9 Don't" "$DC" 1148 'SPD9N0102030405060708\r\n'
  close_dialog "$DC"
}

e2e_other_settings_dialog() {
  e2e_section "other settings dialog"
  open_by_toolbar 510 "その他 "
  local OS
  open_dialog 32787 "その他 " OS || return
  shot 29-other-settings-dialog "$OS"
  check_items "$OS" 1070 '4 "黒色" "灰色" "白色" "OFF"'
  check "offset lists hold 00..15" \
    'drv items "$OS" 1074 && [[ $(answer_word 1) == 16 &&
      $DRV_ANSWER == *\"00\"* && $DRV_ANSWER == *\"15\" ]]'
  # Every line, first with the defaults.
  set_line "connector ALARM" "$OS" 1093 'CIA\r\n'
  set_line "power-on 9-split" "$OS" 1095 'POSD9\r\n'
  set_line "border black" "$OS" 1094 'BLB\r\n'
  set_line "OSD offset horizontal 08" "$OS" 1097 'OOH08\r\n'
  set_line "OSD offset vertical 08" "$OS" 1099 'OOV08\r\n'
  set_line "OSD size single LARGE" "$OS" 1101 'CTFSSL\r\n'
  set_line "OSD size split SMALL" "$OS" 11003 'CTFSDS\r\n'
  set_line "button lock OFF" "$OS" 1096 'LOF\r\n'
  set_line "NTSC aspect 4:3" "$OS" 1098 'NAR4\r\n'
  drv select "$OS" 1066 1
  set_line "connector REMOTE" "$OS" 1093 'CIR\r\n'
  drv select "$OS" 1068 4
  set_line "power-on ch.05" "$OS" 1095 'POSS05\r\n'
  drv select "$OS" 1068 13
  set_line "power-on automatic" "$OS" 1095 'POSCAS\r\n'
  drv select "$OS" 1070 3
  set_line "border OFF" "$OS" 1094 'BLO\r\n'
  drv select "$OS" 1074 15
  set_line "OSD offset horizontal 15" "$OS" 1097 'OOH15\r\n'
  drv select "$OS" 1077 0
  set_line "OSD offset vertical 00" "$OS" 1099 'OOV00\r\n'
  drv select "$OS" 1080 0
  set_line "OSD size single SMALL" "$OS" 1101 'CTFSSS\r\n'
  drv select "$OS" 1083 1
  set_line "OSD size split LARGE" "$OS" 11003 'CTFSDL\r\n'
  drv select "$OS" 1071 1
  set_line "button lock ON" "$OS" 1096 'LON\r\n'
  drv select "$OS" 1072 1
  set_line "NTSC aspect FULL" "$OS" 1098 'NARF\r\n'
  check "Enter leaves the dialog open" \
    'drv command "$OS" 1 && ! drv gone "$OS" 500'
  close_dialog "$OS"
  open_dialog 32787 "その他 " OS || return
  check_selected "$OS" 1071 1
  close_dialog "$OS"
}

e2e_video_adjustment_dialog() {
  e2e_section "video adjustment dialog"
  open_by_toolbar 506 "ビデオ映像の調整 "
  local VA
  open_dialog 32786 "ビデオ映像の調整 " VA || return
  check "brightness list -64 .. 63" \
    'drv items "$VA" 1069 && [[ $(answer_word 1) == 128 &&
      $DRV_ANSWER == *\"-64\ \"* && $DRV_ANSWER == *\"\ 63\ \" ]]'
  check_items "$VA" 1044 \
    '8 "ch.01  " "ch.02  " "ch.03  " "ch.04  " "ch.05  " "ch.06  " "ch.07  " "ch.08  "'
  set_line "brightness ch.01" "$VA" 1067 'VAB01000\r\n'
  set_line "contrast ch.01" "$VA" 1082 'VAC01064\r\n'
  drv select "$VA" 1044 7
  drv select "$VA" 1076 31
  set_line "sharpness ch.08 31" "$VA" 1087 'VASH0831\r\n'
  drv select "$VA" 1044 1
  drv select "$VA" 1073 255
  set_line "hue ch.02 255" "$VA" 1085 'VAH02255\r\n'
  drv select "$VA" 1069 63
  set_line "brightness -01 travels as 127" "$VA" 1067 'VAB02127\r\n'
  sleep 0.5
  shot 30-video-adjustment-dialog "$VA"

  # "全設定": the 40 lines in order, about 100 ms apart, Close disabled
  # meanwhile.
  local expected="" adjustment channel value
  for adjustment in B C SH H SA; do
    for channel in 1 2 3 4 5 6 7 8; do
      case $adjustment:$channel in
        B:2) value=127 ;; B:*) value=000 ;;
        C:*) value=064 ;;
        SH:8) value=31 ;; SH:*) value=00 ;;
        H:2) value=255 ;; H:*) value=000 ;;
        SA:*) value=080 ;;
      esac
      expected+="VA${adjustment}0${channel}${value}\\r\\n"
    done
  done
  drv click "$VA" 1049
  check "set-all disables Close while it runs" \
    'drv enabled "$VA" 2 && [[ $(answer_word 1) == 0 ]]'
  local i
  for ((i = 0; i < 100; i++)); do
    drv enabled "$VA" 2 && [[ $(answer_word 1) == 1 ]] && break
    sleep 0.1
  done
  check "set-all sends the 40 lines in order" 'expect_lines "$expected" 40'
  local -a times
  mapfile -t times < <(sim_rx_times 40)
  local span=$((times[39] - times[0]))
  check "set-all lines about 100 ms apart (39 gaps in ${span} ms)" \
    '((span >= 3500 && span <= 5500))'
  check "Close enabled again after the run" \
    'drv enabled "$VA" 2 && [[ $(answer_word 1) == 1 ]]'
  # The run's own "GO" answers show nothing; the one to the last line comes
  # after the run has ended.
  expect_box Success Success 5000
  close_dialog "$VA"
}

e2e_settings_dialogs() {
  e2e_video_loss_dialog
  e2e_date_time_dialog
  e2e_auto_switching_dialog
  e2e_video_format_dialog
  e2e_agc_dialog
  e2e_slave_address_dialog
  e2e_display_channel_dialog
  e2e_other_settings_dialog
  e2e_video_adjustment_dialog
}
