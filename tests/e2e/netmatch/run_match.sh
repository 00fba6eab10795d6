#!/usr/bin/env bash
# Network play end to end on 127.0.0.1.
#   run_match.sh match|peer PLAYER DATA PEER_SCRIPT
# match: two match_player processes (host "bot", guest "weak") play a whole match;
#        both must agree on every message (the bytes each read are the bytes the other
#        sent, in order, whole messages only), on the rows pushed in, and on the score
#        (3 wins for one side); both end, the host after the guest closed.
# peer:  the game hosts; independent_peer.py joins, plays three short rounds and
#        checks what the game sends.
# Exit 0 on success, 77 when the round loop is not built yet.
set -u
mode=$1 player=$2 data=$3 peer=$4
source "$(dirname "$0")/../common.sh"
e2e_workdir net
port=$(free_port)

start() { # side role style
  mkdir -p "$work/$1"
  ln -s "$data" "$work/$1/data"
  (cd "$work/$1" && exec "$player" "$2" "$port" "$3" "$work/$1") >"$work/$1/out.txt" 2>&1 &
  pids+=($!)
}

start host host bot
guest_rc=0
if [[ $mode == match ]]; then
  sleep 0.5
  start guest join weak
  wait "${pids[1]}"
  guest_rc=$?
else
  python3 "$peer" "$port"
  peer_rc=$?
fi
wait "${pids[0]}"
host_rc=$?
[[ $host_rc == 77 || $guest_rc == 77 ]] && { cat "$work/host/out.txt"; exit 77; }
[[ $mode == peer && $peer_rc != 0 ]] && fail "the independent peer found a fault"
[[ $host_rc == 0 ]] || fail "host exit $host_rc: $(cat "$work/host/out.txt")"
[[ $guest_rc == 0 ]] || fail "guest exit $guest_rc: $(cat "$work/guest/out.txt")"
if [[ $mode == peer ]]; then
  read -r own opp _ <"$work/host/result.txt"
  [[ $own == 3 && $opp == 0 ]] || fail "host result $own $opp"
  echo "peer: ok"
  exit 0
fi

python3 - "$work" <<'PY' || fail "the two sides disagree"
import sys, struct
work = sys.argv[1]
read = lambda side, name: open(f"{work}/{side}/{name}", "rb").read()
result = lambda side: [int(x) for x in read(side, "result.txt").split()]
ok, attacked, pushed = True, 0, 0
for sender, reader in (("host", "guest"), ("guest", "host")):
    sent, got = read(sender, "sent.bin"), read(reader, "received.bin")
    attacks = sum(struct.unpack_from("<H", got, i + 2)[0] for i in range(0, len(got) - 439, 440))
    inserted = [int(x) for x in read(reader, "inserts.txt").split()]
    attacked, pushed = attacked + attacks, pushed + len(inserted)
    print(f"{sender}->{reader}: {len(sent)} bytes sent, {len(got)} read, "
          f"{attacks} attack lines read, pending rows at locks {inserted}")
    for fault, found in (("a message was cut", len(got) % 440 or len(sent) % 440),
                         ("the bytes read are not the bytes sent", sent[:len(got)] != got),
                         ("more rows pushed in than attack lines read",
                          sum(min(n, 5) for n in inserted) > attacks),
                         ("too few messages read", len(got) < 440 * 60)):
        if found:
            print(fault); ok = False
host, guest = result("host"), result("guest")
print("host own/opponent/rounds", host, "guest", guest)
if host[0] != guest[1] or host[1] != guest[0] or max(host[:2]) != 3:
    print("the scores disagree"); ok = False
if attacked == 0 or pushed == 0:
    print("no garbage was exchanged: the match shows nothing of the attacks"); ok = False
sys.exit(0 if ok else 1)
PY
echo "match: ok"
