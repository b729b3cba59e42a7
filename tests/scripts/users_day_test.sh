#!/usr/bin/env bash
# A user's day, typed as a user types it: two files opened, text typed, a word found, a pattern
# replaced everywhere, a line gone to, a character taken from the character map, the text saved
# as UTF-8 and as UTF-16, a recent file opened again, a new document from a middle click, the
# find dialog kept in front as the documents change, the print preview, the language switched
# to Russian and back, everything closed with one question
# answered twice, a second copy handing its file to the first (also while the preferences
# dialog is open), a copy started the moment the one before ended, and the close-all dialog's
# check boxes clicked one by one. Each step is checked in the files' bytes, the window's caption
# or the status bar's text.
#   users_day_test.sh <scratch build folder> <Verdan.exe> <WinText.exe>
. "$(dirname "$0")/../../scripts/wine-env.sh"
. "$(dirname "$0")/ui_waits.sh"
work="$(mktemp -d)"
mkdir -p "$1" && verdan_wine_start "$1" tests && trap 'verdan_wine_stop; rm -rf "$work"' EXIT
# A day starts with the program's first start: no settings, no recent files, no language chosen.
rm -rf "$WINEPREFIX/drive_c/users/"*/AppData/Roaming/"Halcorn Verdan"
printf 'alpha beta\r\ngamma delta\r\n' >"$work/one.txt"
printf 'one two three\r\nfour five six\r\n' >"$work/two.txt"
printf 'third\r\n' >"$work/three.txt"
WINTEXT="$3"
winpath() { printf 'Z:%s' "${1//\//\\}"; }

fail() {
  echo "FAILED: $*"
  echo "windows: $(xdotool search --onlyvisible --name . getwindowname %@ 2>/dev/null | tr '\n' '|')"
  exit 1
}
# The main window's caption, and the status bar's text with its panels joined by "|" (the
# output goes to a file: the persistent wine server must not inherit a pipe).
caption() { xdotool getwindowname "$wid" 2>/dev/null; }
caption_is() { [ "$(caption)" = "$(winpath "$work/$1") — Halcorn Verdan" ]; }
status() {
  wine "$WINTEXT" texts "$(caption)" TUiStatusBar >"$work/status" 2>/dev/null </dev/null || return 1
  tr -d '\r' <"$work/status" | tr '\t' '|'
}
status_is() { [ "$(status)" = "$1" ]; }
expect_status() { wait_for status_is "$1" || fail "$2: the status bar reads '$(status)'"; }
# A file's bytes in hexadecimal, from the file or from standard input.
hex() { od -An -tx1 -v "$@" | tr -s ' \n' ' '; }
holds() { [ -f "$work/$1" ] && [ "$(hex "$work/$1")" = "$2" ]; }
expect_file() { wait_for holds "$1" "$2" || fail "$3: $1 holds:$(hex "$work/$1" 2>/dev/null)"; }
clear_box() { xdotool key End $(printf 'BackSpace %.0s' $(seq 1 12)); }
# Clicks the visible control that shows the text in the window of the title.
click_text() {
  wine "$WINTEXT" center "$1" "$2" >"$work/at" 2>/dev/null </dev/null || return 1
  read -r x y <"$work/at"
  xdotool mousemove "$x" "$y" click 1
}
combo_shows() {
  wine "$WINTEXT" texts "$1" ComboBox >"$work/combo" 2>/dev/null </dev/null && tr -d '\r' <"$work/combo" | grep -qx "$2"
}
# The save dialog: its encoding box, showing the document's encoding, set to another with the
# arrow keys, then the name typed.
save_as() {
  local name="$1" shown="$2" encoding="$3" keys="$4"
  xdotool key F12
  wait_for visible '^Save As$' || fail "F12 showed no save dialog"
  wait_for click_text "Save As" "$shown" || fail "no encoding box showing $shown in the save dialog"
  xdotool key $keys Return
  wait_for combo_shows "Save As" "$encoding" || fail "the encoding box does not show $encoding"
  xdotool key alt+n
  xdotool type --delay 20 "$(winpath "$work/$name")"
  xdotool key Return
  wait_for hidden '^Save As$' || fail "the save dialog stayed"
  wait_for caption_is "$name" || fail "saved as $name, the caption reads '$(caption)'"
}
# The menu command through the keyboard: Alt with the menu's letter, then the item's keys.
menu() {
  xdotool key "alt+$1"
  shift
  xdotool key "$@"
}
ok_pressed() {
  local title="$1" ok="$2"
  hidden "^$title\$" && return 0
  click_text "$title" "$ok"
  wait_for hidden "^$title\$"
}
# The preferences dialog (its caption and OK button in the language shown): the language box set
# with the arrow key given, then OK.
choose_language() {
  local shown="$1" key="$2" title="${3:-Preferences}" ok="${4:-OK}"
  wait_for visible "^$title\$" || fail "no preferences dialog"
  wait_for click_text "$title" "$shown" || fail "no language box showing $shown"
  xdotool key "$key" Return
  # The Return that closes the list may reach the default button, OK, too; else OK is clicked.
  wait_for ok_pressed "$title" "$ok" || fail "the preferences dialog stayed"
}

# Two files on the command line: both open, the last one shows.
wine "$2" "$(winpath "$work/one.txt")" "$(winpath "$work/two.txt")" >/dev/null 2>&1 </dev/null &
editor=$!
wait_for visible 'two\.txt' || fail "the editor did not show its files"
wid=$(xdotool search --onlyvisible --name 'two\.txt' | head -n1)
caption_is two.txt || fail "the caption reads '$(caption)'"
expect_status 'Ln 1, col 1|111 (0x6F)|Insert|No highlighting' "at the start"
xdotool mousemove --window "$wid" 300 200 click 1

# Typing at the end.
xdotool key ctrl+End
xdotool type --delay 30 'seven eight'
expect_status 'Ln 3, col 12|0 (0x0)|Insert|No highlighting' "after typing"

# Ctrl+F finds a word from the top as it is typed: the caret stands after it.
xdotool key ctrl+Home ctrl+f
wait_for visible '^Find and replace$' || fail "Ctrl+F showed no dialog"
clear_box
xdotool type --delay 30 five
expect_status 'Ln 2, col 10|32 (0x20)|Insert|No highlighting' "after finding 'five'"
xdotool key Escape
wait_for hidden '^Find and replace$' || fail "Esc left the find dialog open"

# Ctrl+H: every word that starts with f becomes X, as a regular expression.
xdotool key ctrl+h
wait_for visible '^Find and replace$' || fail "Ctrl+H showed no dialog"
clear_box
xdotool type --delay 30 'f[a-z]+'
xdotool key Tab
xdotool type --delay 30 X
click_text "Find and replace" "More >>" || true
wait_for click_text "Find and replace" "Regular expressions" || fail "no regular-expression box"
click_text "Find and replace" "Replace all" || fail "no Replace all button"
xdotool key Escape
wait_for hidden '^Find and replace$' || fail "Esc left the replace dialog open"

# Ctrl+G to line 1.
xdotool key ctrl+g
wait_for visible '^Find and replace$' || fail "Ctrl+G showed no dialog"
xdotool type --delay 30 1
xdotool key Return Escape
wait_for hidden '^Find and replace$' || fail "Esc left the go-to dialog open"
expect_status 'Ln 1, col 1|111 (0x6F)|Insert|No highlighting' "after going to line 1"

# "Other characters..." from the Edit menu: é (233) taken from the map goes in at the caret,
# and the editor goes on taking the typing once the map is closed.
menu e i o
wait_for visible '^Character$' || fail "no character map"
xdotool key $(printf 'Up %.0s' $(seq 1 14)) Home $(printf 'Down %.0s' $(seq 1 12)) $(printf 'Right %.0s' $(seq 1 9))
xdotool key Return
xdotool key Escape
wait_for hidden '^Character$' || fail "Esc left the character map open"
xdotool type --delay 30 Z
expect_status 'Ln 1, col 3|111 (0x6F)|Insert|No highlighting' "after the character map"

# Saved as UTF-8 (no signature by default), then as UTF-16 with its byte-order mark.
text='\xe9Zone two three\r\nX X six\r\nseven eight'
save_as u8.txt ANSI UTF-8 "Down Down Down"
expect_file u8.txt "$(printf "$text" | iconv -f latin1 -t UTF-8 | hex)" "UTF-8"
save_as u16.txt UTF-8 Unicode "Up Up"
expect_file u16.txt "$({
  printf '\xff\xfe'
  printf "$text" | iconv -f latin1 -t UTF-16LE
} | hex)" "UTF-16"

# one.txt closed, then opened again from File, Recent documents, where it is the newest entry.
xdotool key ctrl+shift+Tab
wait_for caption_is one.txt || fail "Shift+Ctrl+Tab reads '$(caption)'"
xdotool key ctrl+w
wait_for caption_is u16.txt || fail "after closing one.txt the caption reads '$(caption)'"
menu f r Return
wait_for caption_is one.txt || fail "the recent file did not open: '$(caption)'"
expect_status 'Ln 1, col 1|97 (0x61)|Insert|No highlighting' "the recent file"

# A middle click on the empty part of the tab bar makes a new document, which becomes the active
# one; the next left click, on the first tab, is taken at once.
xdotool mousemove --window "$wid" 700 87 click 2
wait_for eval '[[ "$(caption)" == "Document "*" — Halcorn Verdan" ]]' || fail "a middle click gave '$(caption)'"
expect_status 'Ln 1, col 1|0 (0x0)|Insert|No highlighting' "in the new document"
xdotool mousemove --window "$wid" 30 87 click 1
wait_for caption_is u16.txt || fail "a click on the first tab gave '$(caption)'"
xdotool key ctrl+Tab
wait_for caption_is one.txt || fail "Ctrl+Tab gave '$(caption)'"

# The find dialog stays in front of the window (X shows it under the pointer at its middle)
# whatever brings another document forward; a question comes over it; typing reaches its box.
under_pointer_middle() {
  [ -n "$1" ] || return 1
  eval "$(xdotool getwindowgeometry --shell "$1" | sed 's/^/AT_/')"
  xdotool mousemove $((AT_X + AT_WIDTH / 2)) $((AT_Y + AT_HEIGHT / 2))
  [ "$(xdotool getmouselocation --shell | sed -n 's/^WINDOW=//p')" = "$1" ]
}
find_in_front() { under_pointer_middle "$(xdotool search --onlyvisible --name '^Find and replace$' | head -n1)"; }
xdotool key ctrl+f
wait_for visible '^Find and replace$' || fail "Ctrl+F showed no dialog"
clear_box
xdotool type --delay 30 zzz
xdotool mousemove --window "$wid" 30 87 click 1
wait_for caption_is u16.txt || fail "a click on the first tab gave '$(caption)'"
wait_for find_in_front || fail "a click on a tab put the find dialog behind the window"
xdotool key ctrl+Tab
wait_for caption_is one.txt || fail "Ctrl+Tab gave '$(caption)'"
wait_for find_in_front || fail "Ctrl+Tab put the find dialog behind the window"
printf 'front\r\n' >"$work/front.txt"
wine "$2" "$(winpath "$work/front.txt")" >/dev/null 2>&1 </dev/null &
front=$!
wait_for eval '! kill -0 "$front" 2>/dev/null' || fail "the copy with front.txt still runs"
wait_for caption_is front.txt || fail "front.txt was not handed over: '$(caption)'"
wait_for find_in_front || fail "a file handed over put the find dialog behind the window"
xdotool type --delay 30 x
xdotool key ctrl+w
wait_for visible '^Halcorn Verdan$' || fail "closing the changed front.txt asked nothing"
box=$(xdotool search --onlyvisible --name '^Halcorn Verdan$' | head -n1)
wait_for under_pointer_middle "$box" || fail "the find dialog stands over the question"
click_text "Halcorn Verdan" "&No" || fail "no No button in the question"
wait_for hidden '^Halcorn Verdan$' || fail "No left the question open"
wait_for eval '! caption_is front.txt' || fail "No did not close front.txt"
wait_for find_in_front || fail "closing a document put the find dialog behind the window"
holds front.txt "$(printf 'front\r\n' | hex)" || fail "No saved front.txt: $(hex "$work/front.txt")"
click_text "Find and replace" zzz || fail "no find box showing zzz"
xdotool key End
xdotool type --delay 30 q
find_box_shows() {
  wine "$WINTEXT" texts "Find and replace" TComboBox >"$work/combo" 2>/dev/null </dev/null && tr -d '\r' <"$work/combo" | grep -qx "$1"
}
wait_for find_box_shows zzzq || fail "the keys typed into the find box went elsewhere"
xdotool key Escape
wait_for hidden '^Find and replace$' || fail "Esc left the find dialog open"
for _ in 1 2 3 4; do
  caption_is one.txt && break
  xdotool key ctrl+Tab
  sleep 0.3
done
caption_is one.txt || fail "Ctrl+Tab does not come back to one.txt: '$(caption)'"

# The print preview empties the editor's panels and gives them back.
xdotool key ctrl+F2
expect_status '|||No highlighting' "in the print preview"
xdotool key ctrl+F2
expect_status 'Ln 1, col 1|97 (0x61)|Insert|No highlighting' "back from the print preview"

# Russian from the preferences, then English again (the View menu reached with F10 and arrows).
menu v End Return
choose_language "English (United States)" Down
expect_status 'Стр 1, стлб 1|97 (0x61)|Вставка|Без подсветки' "in Russian"
xdotool key F10 Right Right Right Right Down End Return
choose_language "Russian (Russia)" Up "Параметры" "ОК"
expect_status 'Ln 1, col 1|97 (0x61)|Insert|No highlighting' "in English again"

# One document changed: Close all asks once over the main window; Cancel keeps everything, Yes
# saves it and closes them all.
xdotool type --delay 30 'x'
xdotool key ctrl+alt+w
wait_for visible '^Halcorn Verdan$' || fail "Close all asked nothing"
box=$(xdotool search --onlyvisible --name '^Halcorn Verdan$' | head -n1)
eval "$(xdotool getwindowgeometry --shell "$box" | sed 's/^/BOX_/')"
eval "$(xdotool getwindowgeometry --shell "$wid" | sed 's/^/MAIN_/')"
[ $((BOX_X + BOX_WIDTH / 2 - MAIN_X - MAIN_WIDTH / 2)) -le 20 ] &&
  [ $((MAIN_X + MAIN_WIDTH / 2 - BOX_X - BOX_WIDTH / 2)) -le 20 ] ||
  fail "the question stands at $BOX_X,$BOX_Y, the window at $MAIN_X,$MAIN_Y"
xdotool key Escape
wait_for hidden '^Halcorn Verdan$' || fail "Cancel left the question open"
caption_is one.txt || fail "Cancel closed something: '$(caption)'"
xdotool key ctrl+alt+w
wait_for visible '^Halcorn Verdan$' || fail "Close all asked nothing the second time"
xdotool key Return
expect_file one.txt "$(printf 'xalpha beta\r\ngamma delta\r\n' | hex)" "Yes in the question"
wait_for eval '[[ "$(caption)" == "Document "*" — Halcorn Verdan" ]]' || fail "after Close all: '$(caption)'"
expect_status 'Ln 1, col 1|0 (0x0)|Insert|No highlighting' "after Close all"

# A second copy hands its file to the first and ends.
wine "$2" "$(winpath "$work/three.txt")" >/dev/null 2>&1 </dev/null &
second=$!
wait_for eval '! kill -0 "$second" 2>/dev/null' || fail "the second copy still runs"
wait_for caption_is three.txt || fail "the first copy did not open the file: '$(caption)'"

# The close-all dialog driven by clicks: three documents edited, a click on an entry's check box
# toggles that entry alone (first, last, then the first again; two clicks on one entry in a row
# would be a double click), and Save saves exactly the checked documents; the one left unchecked
# keeps its file as it was.
printf 'four\r\n' >"$work/four.txt"
printf 'five\r\n' >"$work/five.txt"
printf 'six\r\n' >"$work/six.txt"
wine "$2" "$(winpath "$work/four.txt")" "$(winpath "$work/five.txt")" "$(winpath "$work/six.txt")" >/dev/null 2>&1 </dev/null &
wait_for caption_is six.txt || fail "the handed-over files did not open: '$(caption)'"
xdotool type --delay 30 c
xdotool key ctrl+shift+Tab
wait_for caption_is five.txt || fail "Shift+Ctrl+Tab reads '$(caption)'"
xdotool type --delay 30 b
xdotool key ctrl+shift+Tab
wait_for caption_is four.txt || fail "Shift+Ctrl+Tab reads '$(caption)'"
xdotool type --delay 30 a
xdotool key ctrl+alt+w
wait_for visible '^Halcorn Verdan$' || fail "Close all showed no dialog"
entries() {
  wine "$WINTEXT" items "Halcorn Verdan" TListBox >"$work/entries" 2>/dev/null </dev/null || return 1
  tr -d '\r' <"$work/entries"
}
marks() { entries | awk '{printf "%s", $3}'; }
marks_are() { [ "$(marks)" = "$1" ]; }
click_entry() {
  local x y
  read -r x y _ < <(entries | sed -n "$(($1 + 1))p")
  xdotool mousemove $((x + 12)) "$y" click 1
}
wait_for marks_are 111 || fail "the dialog's entries read '$(marks)'"
for step in "0 011" "2 010" "0 110"; do
  read -r entry want <<<"$step"
  click_entry "$entry"
  wait_for marks_are "$want" || fail "a click on entry $entry gave '$(marks)', not '$want'"
done
click_text "Halcorn Verdan" "Save" || fail "no Save button in the close-all dialog"
expect_file four.txt "$(printf 'afour\r\n' | hex)" "the checked four.txt"
expect_file five.txt "$(printf 'bfive\r\n' | hex)" "the checked five.txt"
wait_for eval '[[ "$(caption)" == "Document "*" — Halcorn Verdan" ]]' || fail "after Close all: '$(caption)'"
holds six.txt "$(printf 'six\r\n' | hex)" || fail "the unchecked six.txt was saved: $(hex "$work/six.txt")"

# Customize opened and closed from the View menu, then the recent list changed by a file handed
# over: the dialog's place is kept through the main window's storage, and the list as it is at
# exit reaches "Preferences.ini" (a copy the dialog read when it opened must not write it back).
printf 'handed\r\n' >"$work/handed.txt"
menu v End Up Up Up Return
wait_for visible '^Customize$' || fail "View, Customize... showed no dialog"
wait_for click_text "Customize" "Close" || fail "no Close button in the customize dialog"
wait_for hidden '^Customize$' || fail "Close left the customize dialog open"
wine "$2" "$(winpath "$work/handed.txt")" >/dev/null 2>&1 </dev/null &
handed=$!
wait_for eval '! kill -0 "$handed" 2>/dev/null' || fail "the copy with handed.txt still runs"
wait_for caption_is handed.txt || fail "handed.txt was not handed over: '$(caption)'"

# A file handed over while the preferences dialog is open opens behind it: the dialog stays in
# front and keeps the keyboard (Esc closes it).
printf 'behind\r\n' >"$work/behind.txt"
menu v End Return
wait_for visible '^Preferences$' || fail "View, Preferences... showed no dialog"
wine "$2" "$(winpath "$work/behind.txt")" >/dev/null 2>&1 </dev/null &
behind=$!
wait_for eval '! kill -0 "$behind" 2>/dev/null' || fail "the copy with behind.txt still runs"
visible '^Preferences$' || fail "the hand-over closed the preferences dialog"
xdotool key Escape
wait_for hidden '^Preferences$' || fail "the preferences dialog lost the keyboard to the window behind it"
wait_for caption_is behind.txt || fail "behind.txt was not handed over: '$(caption)'"

# Nothing changed: the program ends without a question.
closed=""
for _ in 1 2 3; do
  xdotool key --window "$wid" alt+F4
  if wait_for eval '! kill -0 "$editor" 2>/dev/null'; then
    closed=1
    break
  fi
done
[ -n "$closed" ] || fail "the program still runs"

# The recent list written at exit holds the file handed over after Customize was opened.
prefs=$(ls "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/"Halcorn Verdan"/Preferences.ini 2>/dev/null | head -n1)
[ -n "$prefs" ] || fail "no Preferences.ini after the exit"
recent() { tr -d '\000\r' <"$prefs" | awk 'tolower($0) ~ /^\[mainform\\mrlstmain_items\]$/ {on = 1; next} /^\[/ {on = 0} on'; }
recent | grep -qi '^Item[0-9]*=.*handed\.txt$' || fail "the recent list lost handed.txt: $(recent | tr '\n' '|')"
grep -qi '^\[CustomizeForm\]' "$prefs" || fail "the customize dialog's place is not in Preferences.ini"

# Tabs hidden off the left of the tab bar: f01.txt and four UTF-16 files with long names in a
# narrow window, a character typed into each UTF-16 document, Exit, Save in the close-all dialog
# and No to each "Save anyway?": f01.txt, whose tab is hidden, is closed while the others stay,
# and the program goes on running; Exit again with "Don't save" ends it and keeps its settings.
printf 'f01\r\n' >"$work/f01.txt"
hidden_tabs=("$(winpath "$work/f01.txt")")
for i in 1 2 3 4; do
  name="a UTF-16 document with a long name, number $i.txt"
  { printf '\xff\xfe'; printf '\xd0\xb6 %s\r\n' "$i" | iconv -f UTF-8 -t UTF-16LE; } >"$work/$name"
  hidden_tabs+=("$(winpath "$work/$name")")
done
# This copy starts the very moment the one before has ended: the Alt+F4 that ended that one
# must not end this one too.
wine "$2" "${hidden_tabs[@]}" >/dev/null 2>&1 </dev/null &
editor=$!
# Each UTF-16 file holds a character outside the code page: a warning each, answered with OK.
# Presses the button of the box or dialog that shows now.
answer_box() {
  visible '^Halcorn Verdan$' && click_text "Halcorn Verdan" "$1" && sleep 0.5
}
# The warnings of the start come over the main window once it shows.
warnings=0
for _ in $(seq 1 150); do
  answer_box OK && warnings=$((warnings + 1))
  visible 'number 4\.txt' && [ "$warnings" -ge 4 ] && break
  sleep 0.2
done
visible 'number 4\.txt' || fail "the editor did not show the UTF-16 files"
[ "$warnings" -ge 4 ] || fail "$warnings warnings for four UTF-16 files"
# The key-ups of the Alt+F4 that ended the copy before were sent to its window, gone by then:
# the X server still holds Alt and F4 (F4 repeating), and this copy ignored those repeats. The
# keys are let go before typing.
xdotool keyup F4 alt
wid=$(xdotool search --onlyvisible --name 'number 4\.txt' | head -n1)
xdotool windowsize "$wid" 620 480
sleep 1
for i in 4 3 2 1; do
  wait_for eval '[[ "$(caption)" == *"number $i.txt — Halcorn Verdan" ]]' || fail "tab $i: the caption reads '$(caption)'"
  xdotool type --delay 30 'x'
  [ "$i" = 1 ] || xdotool key ctrl+shift+Tab
done
# A lost Alt+F4 leaves the menu bar active: Esc, and the close is asked again.
exit_asked=""
for _ in 1 2 3; do
  xdotool key Escape
  xdotool key --window "$wid" alt+F4
  if wait_for visible '^Halcorn Verdan$'; then
    exit_asked=1
    break
  fi
done
[ -n "$exit_asked" ] || fail "Exit showed no close-all dialog"
wait_for answer_box Save || fail "no Save button in the close-all dialog"
for i in 1 2 3 4; do
  wait_for answer_box "&No" || fail "no question 'Save anyway?' ($i)"
done
sleep 2
kill -0 "$editor" 2>/dev/null || fail "the program ended when f01.txt, whose tab was hidden, was closed"
wait_for eval '[[ "$(caption)" == *"number "*".txt — Halcorn Verdan" ]]' || fail "after Exit the caption reads '$(caption)'"
exit_asked=""
for _ in 1 2 3; do
  xdotool key Escape
  xdotool key --window "$wid" alt+F4
  if wait_for click_text "Halcorn Verdan" "Don’t save"; then
    exit_asked=1
    break
  fi
done
[ -n "$exit_asked" ] || fail "the close-all dialog did not come again"
wait_for eval '! kill -0 "$editor" 2>/dev/null' || fail "the program still runs after Don't save"
wait "$editor" || fail "the program ended with code $?"
tr -d '\000' <"$(ls "$WINEPREFIX/drive_c/users/"*/AppData/Roaming/"Halcorn Verdan"/Preferences.ini)" | grep -q 'f01\.txt' ||
  fail "Preferences.ini keeps nothing of f01.txt (its caret position)"
echo "passed"
