#!/bin/sh
# glyphcast search against real SNMP agents (net-snmp's snmpd) on loopback
# addresses 127.0.0.2-4; each agent stops when the test ends.
# Usage: snmp_loopback_test.sh GLYPHCAST
set -u
glyphcast=$1
command -v snmpd >/dev/null 2>&1 || command -v /usr/sbin/snmpd >/dev/null 2>&1 || exit 77
snmpd=$(command -v snmpd || echo /usr/sbin/snmpd)
work=$(mktemp -d /tmp/gc-snmp.XXXXXX)
pids=""
cleanup() { for p in $pids; do kill "$p" 2>/dev/null; done; wait 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
port=16161
failed=0
check() {  # check WHAT EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then echo "ok: $1"; else echo "FAILED: $1"; echo " expected: $2"; echo " actual:   $3"; failed=1; fi
}

n=1
for descr in Office3 BackOffice office2; do
  n=$((n + 1))
  d=$work/a$n
  mkdir -p "$d"
  cat >"$d/snmpd.conf" <<CONF
agentaddress udp:127.0.0.$n:$port
rocommunity vandel 127.0.0.0/8
override 1.3.6.1.2.1.1.1.0 octet_str "$descr"
sysobjectid 1.3.6.1.4.1.32473.200.300000
CONF
  SNMP_PERSISTENT_DIR=$d timeout 60 "$snmpd" -f -Lf "$d/log" -C -c "$d/snmpd.conf" -m '' \
    -I -smux,mteTrigger,mteTriggerConf </dev/null >/dev/null 2>&1 &
  pids="$pids $!"
done
# Wait until every agent answers.
for _ in $(seq 50); do
  got=$("$glyphcast" search --timeout 200 --snmp-port $port --address 127.0.0.2 \
        --address 127.0.0.3 --address 127.0.0.4 | wc -l)
  [ "$got" -eq 3 ] && break
  sleep 0.1
done

all=$("$glyphcast" search --timeout 1000 --snmp-port $port --address 127.0.0.2 \
      --address 127.0.0.3 --address 127.0.0.4 | sort)
check "three agents answer" "NET,BackOffice(127.0.0.3)
NET,Office3(127.0.0.2)
NET,office2(127.0.0.4)" "$all"

filtered=$("$glyphcast" search --timeout 1000 --snmp-port $port --filter Office \
           --address 127.0.0.2 --address 127.0.0.3 --address 127.0.0.4 | sort)
check "the filter Office keeps Office3 and BackOffice" "NET,BackOffice(127.0.0.3)
NET,Office3(127.0.0.2)" "$filtered"

wrong=$("$glyphcast" search --timeout 300 --snmp-port $port --community other \
        --address 127.0.0.2)
check "a wrong community gets no answer" "" "$wrong"

start=$(date +%s%N)
"$glyphcast" search --timeout 5000 --snmp-port $port --address 127.0.0.2 >/dev/null
ms=$(( ($(date +%s%N) - start) / 1000000 ))
if [ $ms -lt 2500 ]; then echo "ok: an address query ends when its printer answered ($ms ms)";
else echo "FAILED: the address query took $ms ms"; failed=1; fi
exit $failed
