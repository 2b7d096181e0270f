#!/bin/sh
# The program vek from its command line, headless, as users and scripts run it: exit codes, messages on
# stderr, and the recent-file entry a run leaves in the user's preferences.
# Usage: vek-command-line.sh VEK FIXTURES EXAMPLE
vek=$1
fixtures=$2
example=$3
case $vek in /*) ;; *) vek=$(pwd)/$vek ;; esac
failures=0
workdir=$(pwd)
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT

# check NAME EXPECTED-STATUS STDOUT-PATTERN STDERR-PATTERN ARGUMENTS...
check() {
  name=$1 expected=$2 out_pattern=$3 err_pattern=$4
  shift 4
  (cd "$workdir" && HOME=$home XDG_CONFIG_HOME= DISPLAY= "$vek" "$@" >"$home/out" 2>"$home/err")
  status=$?
  if [ "$status" -ne "$expected" ]; then
    echo "FAIL $name: exit status $status, expected $expected"; cat "$home/err"; failures=$((failures + 1)); return
  fi
  if [ -n "$out_pattern" ] && ! grep -q -- "$out_pattern" "$home/out"; then
    echo "FAIL $name: stdout lacks \"$out_pattern\""; cat "$home/out"; failures=$((failures + 1)); return
  fi
  if [ -n "$err_pattern" ] && ! grep -q -- "$err_pattern" "$home/err"; then
    echo "FAIL $name: stderr lacks \"$err_pattern\""; cat "$home/err"; failures=$((failures + 1)); return
  fi
  if grep -q "Sanitizer" "$home/err"; then
    echo "FAIL $name: sanitizer report"; cat "$home/err"; failures=$((failures + 1)); return
  fi
  echo "ok   $name"
}

check "version"            0 "^VEK [0-9]"     ""                    --version
check "help"               0 "^usage: vek"    ""                    --help
check "help wins"          0 "^usage: vek"    ""                    --bogus --help
check "no file"            2 ""               "no base file"        --headless
check "bad option"         2 ""               "--bogus"             --bogus "$example"
check "missing value"      2 ""               "--user"              --headless "$example" --user
check "missing file"       1 ""               "missing.vkx"         --headless "$fixtures/missing.vkx"
check "one of two missing" 1 ""               "missing.vkx"         --headless "$example" "$fixtures/missing.vkx"
check "two files"          0 ""               ""                    --headless "$example" "$fixtures/base-with-quit.vkx"
check "user code"          0 ""               ""                    --headless --user ABC "$example"
check "file after --"      1 ""               "-x.vkx"              --headless -- -x.vkx

# A base whose commands quit: the run ends at once, and the base is first among the recent files.
rm -rf "$home/.config"
cp "$fixtures/base-with-quit.vkx" "$home/base with quit.vkx"
workdir=$home
check "quit from commands" 0 "" "" --headless "base with quit.vkx"
preferences="$home/.config/VEK/VEK Preferences"
if tr '\r' '\n' <"$preferences" 2>/dev/null | grep -qx "VEK5.RecentFile0	$home/base with quit.vkx"; then
  echo "ok   recent file recorded"
else
  echo "FAIL recent file recorded: the preferences hold"; tr '\r' '\n' <"$preferences"; failures=$((failures + 1))
fi
if ls -a "$home/.config/VEK" | grep -q "^\.vek-save"; then
  echo "FAIL a temporary file was left beside the preferences"; failures=$((failures + 1))
fi

[ "$failures" -eq 0 ]
