# Shared by the shell tests: a work folder removed at exit, `check DESCRIPTION COMMAND...` counting the
# command's success or failure, `report` printing "N passed, N failed" and returning whether all
# passed, `await COMMAND...` retrying the command for up to 20 s (for work that goes on after its
# starter returned), and `png_size FILE` printing a PNG's width and height.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passes=0 failures=0
check() {
  local what=$1; shift
  if "$@"; then echo "ok   $what"; passes=$((passes + 1)); else echo "FAIL $what"; failures=$((failures + 1)); fi
}
report() {
  echo "$passes passed, $failures failed"
  [ "$failures" -eq 0 ]
}
await() {
  for _ in $(seq 100); do "$@" && return 0; sleep 0.2; done
  return 1
}
png_size() { od -An -tu4 --endian=big -j16 -N8 "$1" 2> /dev/null | xargs; }
