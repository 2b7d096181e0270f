#!/bin/sh
# vek --headless --xml-request IN --xml-answer OUT BASE: the XML request fixtures answered by the program
# itself give their expected answers, each a well-formed XML file; a request file that cannot be read and
# an answer file that cannot be written end the run with status 1 and say why on stderr.
# Usage: vek-xml-requests.sh VEK FIXTURES PLATFORM
vek=$1
fixtures=$2
platform=$3
failures=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

run() {
  HOME=$work XDG_CONFIG_HOME= DISPLAY= "$vek" --headless "$@" >"$work/out" 2>"$work/err"
}

for pair in base.vkx:version base.vkx:dimensions base.vkx:components input.xml:templates input.xml:template; do
  base=${pair%%:*} request=${pair#*:}
  rm -f "$work/answer.xml"
  run --xml-request "$fixtures/$request.request.xml" --xml-answer "$work/answer.xml" "$fixtures/$base"
  status=$?
  sed "s/@PLATFORM@/$platform/" "$fixtures/$request.expected.xml" >"$work/expected.xml"
  if [ "$status" -ne 0 ]; then
    echo "FAIL $request: exit status $status"; cat "$work/err"; failures=$((failures + 1))
  elif ! cmp -s "$work/answer.xml" "$work/expected.xml"; then
    echo "FAIL $request: the answer differs"; diff "$work/expected.xml" "$work/answer.xml"; failures=$((failures + 1))
  elif ! xmllint --noout "$work/answer.xml"; then
    echo "FAIL $request: the answer is not well-formed XML"; failures=$((failures + 1))
  elif grep -q "Sanitizer" "$work/err"; then
    echo "FAIL $request: sanitizer report"; cat "$work/err"; failures=$((failures + 1))
  else
    echo "ok   $request"
  fi
done

# A request file that cannot be read: status 1, the file named on stderr, no answer written.
rm -f "$work/answer.xml"
run --xml-request "$work/missing.xml" --xml-answer "$work/answer.xml" "$fixtures/base.vkx"
status=$?
if [ "$status" -eq 1 ] && grep -q "missing.xml" "$work/err" && [ ! -e "$work/answer.xml" ]; then
  echo "ok   unreadable request"
else
  echo "FAIL unreadable request: status $status"; cat "$work/err"; failures=$((failures + 1))
fi

# An answer that cannot be written (a folder stands in its place): status 1 and the reason.
mkdir -p "$work/answer-folder"
run --xml-request "$fixtures/version.request.xml" --xml-answer "$work/answer-folder" "$fixtures/base.vkx"
status=$?
if [ "$status" -eq 1 ] && grep -q "answer-folder" "$work/err"; then
  echo "ok   answer not written"
else
  echo "FAIL answer not written: status $status"; cat "$work/err"; failures=$((failures + 1))
fi

[ "$failures" -eq 0 ]
