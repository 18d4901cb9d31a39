#!/bin/sh
# glyphcast against a local CUPS queue. Run inside tests/support/cups/cups-lab.sh:
#   cups-lab.sh QUEUE sh cli_cups_test.sh path/to/glyphcast
set -u
glyphcast=$1
scratch=$(mktemp -d /tmp/gc-cli-cups.XXXXXX) || exit 1
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# The capture once it holds $1 bytes, or whatever it holds after 30 s.
await() {
  for _ in $(seq 300); do
    [ "$(wc -c <"$GC_CUPS_CAPTURE" 2>/dev/null || echo 0)" -ge "$1" ] && return 0
    sleep 0.1
  done
  return 1
}

"$glyphcast" printers >"$scratch/list" || fail "printers exited $?"
grep -q "^$GC_CUPS_QUEUE	capture:$GC_CUPS_CAPTURE\$" "$scratch/list" ||
  fail "printers does not list $GC_CUPS_QUEUE: $(cat "$scratch/list")"

# Every byte value, twice, and a PCL reset in front.
/usr/bin/python3 -c 'import sys; sys.stdout.buffer.write(b"\x1bE" + bytes(range(256)) * 2)' \
  >"$scratch/all.prn"
"$glyphcast" send-file --printer "queue:$GC_CUPS_QUEUE" "$scratch/all.prn" ||
  fail "send-file exited $?"
await 514 || fail "the job did not arrive"
cmp "$GC_CUPS_CAPTURE" "$scratch/all.prn" || fail "the capture differs from the file"

# A queue that is not there: exit 1, the reason, nothing printed.
"$glyphcast" send-file --printer "queue:${GC_CUPS_QUEUE}_gone" "$scratch/all.prn" \
  2>"$scratch/err" && fail "send-file to a missing queue succeeded"
grep -q "queue:${GC_CUPS_QUEUE}_gone: the queue cannot be opened" "$scratch/err" ||
  fail "missing queue: $(cat "$scratch/err")"

# A queue that refuses jobs fails the printer.
cupsreject "$GC_CUPS_QUEUE" || fail "cupsreject"
"$glyphcast" send-file --printer "queue:$GC_CUPS_QUEUE" "$scratch/all.prn" \
  2>"$scratch/err" && fail "send-file to a rejecting queue succeeded"
grep -q "queue:$GC_CUPS_QUEUE: the queue" "$scratch/err" ||
  fail "rejecting queue: $(cat "$scratch/err")"
cupsaccept "$GC_CUPS_QUEUE"
sleep 0.5
cmp "$GC_CUPS_CAPTURE" "$scratch/all.prn" || fail "a refused job reached the queue"

# No scheduler at all: the same message as a missing queue, at once.
CUPS_SERVER=$scratch/no-such.sock "$glyphcast" send-file --printer "queue:$GC_CUPS_QUEUE" \
  "$scratch/all.prn" 2>"$scratch/err" && fail "send-file without a scheduler succeeded"
grep -q "the queue cannot be opened" "$scratch/err" ||
  fail "no scheduler: $(cat "$scratch/err")"
CUPS_SERVER=$scratch/no-such.sock "$glyphcast" printers 2>/dev/null && fail "printers without a scheduler"
# A scheduler without queues lists none, and is no failure.
lpadmin -x "$GC_CUPS_QUEUE" || fail "lpadmin -x"
"$glyphcast" printers >"$scratch/list" || fail "printers with no queues exited $?"
[ -s "$scratch/list" ] && fail "printers lists a deleted queue: $(cat "$scratch/list")"
echo "cli against a local CUPS queue: ok"
