#!/bin/sh
# Runs a command against a private CUPS scheduler with one raw queue whose
# jobs land in a file. Usage: cups-lab.sh QUEUE COMMAND [ARG]...
# The command sees CUPS_SERVER (the scheduler's socket), GC_CUPS_QUEUE and
# GC_CUPS_CAPTURE (the file that collects the queue's job bytes). The
# scheduler has its own configuration and state under a scratch folder, lives
# at most GC_CUPS_LIFETIME seconds (default 300) and is stopped by PID at the
# end. Exit status 77 (skip) when cupsd is missing or we are not root.
set -u
queue=$1
shift
here=$(cd "$(dirname "$0")" && pwd)
cupsd=$(command -v cupsd || echo /usr/sbin/cupsd)
serverbin=/usr/lib/cups
if [ ! -x "$cupsd" ] || [ ! -d "$serverbin/daemon" ] || ! command -v lpadmin >/dev/null; then
  echo "cups-lab: cupsd or lpadmin not installed; skipping" >&2
  exit 77
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "cups-lab: a private cupsd needs root; skipping" >&2
  exit 77
fi

lab=$(mktemp -d /tmp/gc-cups.XXXXXX) || exit 1
chmod 755 "$lab"
pid=""
stop() {
  if [ -n "$pid" ]; then
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  fi
  rm -rf "$lab"
}
trap stop EXIT
trap 'exit 1' INT TERM HUP

mkdir -p "$lab/etc/ppd" "$lab/state" "$lab/cache" "$lab/spool/tmp" "$lab/log" "$lab/bin/backend"
for d in "$serverbin"/*; do
  [ "$(basename "$d")" = backend ] || ln -s "$d" "$lab/bin/$(basename "$d")"
done
# Mode 0700: the scheduler runs the backend as root, which may write anywhere.
install -m 0700 "$here/capture-backend" "$lab/bin/backend/capture"

cat >"$lab/etc/cups-files.conf" <<CONF
ServerRoot $lab/etc
StateDir $lab/state
CacheDir $lab/cache
RequestRoot $lab/spool
TempDir $lab/spool/tmp
ServerBin $lab/bin
AccessLog $lab/log/access_log
ErrorLog $lab/log/error_log
PageLog $lab/log/page_log
SystemGroup root
FileDevice No
CONF
cat >"$lab/etc/cupsd.conf" <<CONF
Listen $lab/cups.sock
LogLevel warn
Browsing No
BrowseLocalProtocols none
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF

timeout -s TERM "${GC_CUPS_LIFETIME:-300}" "$cupsd" -f -c "$lab/etc/cupsd.conf" \
  -s "$lab/etc/cups-files.conf" </dev/null >"$lab/log/cupsd.out" 2>&1 &
pid=$!
CUPS_SERVER=$lab/cups.sock
export CUPS_SERVER
up=0
for _ in $(seq 100); do
  if lpstat -r 2>/dev/null | grep -q "is running"; then up=1; break; fi
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if [ "$up" -ne 1 ]; then
  echo "cups-lab: cupsd did not start" >&2
  cat "$lab/log/cupsd.out" "$lab/log/error_log" 2>/dev/null >&2
  exit 1
fi
GC_CUPS_QUEUE=$queue
GC_CUPS_CAPTURE=$lab/capture.out
export GC_CUPS_QUEUE GC_CUPS_CAPTURE
if ! lpadmin -p "$queue" -E -v "capture:$GC_CUPS_CAPTURE" 2>"$lab/log/lpadmin.out"; then
  echo "cups-lab: lpadmin failed" >&2
  cat "$lab/log/lpadmin.out" "$lab/log/error_log" 2>/dev/null >&2
  exit 1
fi

"$@"
rc=$?
if [ "$rc" -ne 0 ] && [ "$rc" -ne 77 ]; then
  echo "cups-lab: error log of the scheduler:" >&2
  cat "$lab/log/error_log" 2>/dev/null >&2
fi
exit "$rc"
