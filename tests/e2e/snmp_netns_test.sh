#!/bin/sh
# glyphcast search by broadcast, inside network namespaces this test creates:
# one client and three printers on a bridge, each printer its own snmpd with
# its own sysDescr. Nothing leaves the namespaces; all of it is removed at the end.
# Usage: snmp_netns_test.sh GLYPHCAST
set -u
glyphcast=$(readlink -f "$1")
snmpd=$(command -v snmpd || echo /usr/sbin/snmpd)
[ -x "$snmpd" ] || exit 77
[ "$(id -u)" -eq 0 ] || exit 77
lab=gc$$
work=$(mktemp -d /tmp/gc-netns.XXXXXX)
pids=""
spaces=""
cleanup() {
  for p in $pids; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  for s in $spaces; do ip netns del "$s" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
add_ns() { ip netns add "$1" || exit 77; spaces="$spaces $1"; }

add_ns ${lab}sw
ip -n ${lab}sw link add br0 type bridge
ip -n ${lab}sw link set br0 up
n=9
for host in cl p1 p2 p3; do
  n=$((n + 1))
  add_ns ${lab}$host
  ip -n ${lab}sw link add v$host type veth peer name eth0 netns ${lab}$host
  ip -n ${lab}sw link set v$host master br0 up
  ip -n ${lab}$host link set lo up
  ip -n ${lab}$host addr add 10.213.0.$n/24 dev eth0
  ip -n ${lab}$host link set eth0 up
done
# A broadcast to 255.255.255.255 leaves by the default route.
ip -n ${lab}cl route add default dev eth0

n=0
for descr in Office3 BackOffice office2; do
  n=$((n + 1))
  d=$work/p$n
  mkdir -p "$d"
  cat >"$d/snmpd.conf" <<CONF
agentaddress udp:161
rocommunity vandel 10.213.0.0/24
override 1.3.6.1.2.1.1.1.0 octet_str "$descr"
CONF
  SNMP_PERSISTENT_DIR=$d ip netns exec ${lab}p$n timeout 60 "$snmpd" -f -Lf "$d/log" -C \
    -c "$d/snmpd.conf" -m '' -I -smux,mteTrigger,mteTriggerConf </dev/null >/dev/null 2>&1 &
  pids="$pids $!"
done

failed=0
found=""
for _ in $(seq 50); do
  found=$(ip netns exec ${lab}cl "$glyphcast" search --timeout 500 | sort)
  [ "$(printf '%s\n' "$found" | grep -c NET)" -eq 3 ] && break
  sleep 0.1
done
expected="NET,BackOffice(10.213.0.12)
NET,Office3(10.213.0.11)
NET,office2(10.213.0.13)"
if [ "$found" = "$expected" ]; then echo "ok: the broadcast finds all three printers"
else echo "FAILED: broadcast found:"; echo "$found"; failed=1; fi

filtered=$(ip netns exec ${lab}cl "$glyphcast" search --timeout 500 --filter Office | sort)
expected="NET,BackOffice(10.213.0.12)
NET,Office3(10.213.0.11)"
if [ "$filtered" = "$expected" ]; then echo "ok: the filter Office keeps Office3 and BackOffice"
else echo "FAILED: filtered:"; echo "$filtered"; failed=1; fi
exit $failed
