# Shared by the shell tests: `check DESCRIPTION COMMAND...` counts the command's success or failure,
# and `report` prints the closing "N passed, N failed" line and returns whether all passed.
passes=0 failures=0
check() {
  local what=$1; shift
  if "$@"; then echo "ok   $what"; passes=$((passes + 1)); else echo "FAIL $what"; failures=$((failures + 1)); fi
}
report() {
  echo "$passes passed, $failures failed"
  [ "$failures" -eq 0 ]
}
