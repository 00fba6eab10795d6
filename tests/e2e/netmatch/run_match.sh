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
work=$(mktemp -d "${TMPDIR:-/tmp}/vorlane-net-XXXXXX")
pids=()
trap 'for p in "${pids[@]}"; do kill -KILL "$p" 2>/dev/null; done; rm -rf "$work"' EXIT
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')

fail() {
  echo "FAIL ($mode): $*"
  for side in host guest; do
    [[ -f $work/$side/Log.txt ]] && { echo "--- $side log"; iconv -f CP932 -t UTF-8 "$work/$side/Log.txt" | tail -15; }
  done
  exit 1
}

start() {  # side role style
  mkdir -p "$work/$1"
  ln -s "$data" "$work/$1/data"
  (cd "$work/$1" && exec "$player" "$2" "$port" "$3" "$work/$1") >"$work/$1/out.txt" 2>&1 &
  pids+=($!)
}

start host host bot
host=${pids[0]}
if [[ $mode == match ]]; then
  sleep 0.5
  start guest join weak
  wait "${pids[1]}"; guest_rc=$?
else
  python3 "$peer" "$port"; peer_rc=$?
  guest_rc=0
  if [[ $peer_rc != 0 ]]; then
    wait "$host"
    [[ $? == 77 ]] && { cat "$work/host/out.txt"; exit 77; }
    fail "the independent peer found a fault"
  fi
fi
wait "$host"; host_rc=$?
[[ $host_rc == 77 || $guest_rc == 77 ]] && { cat "$work/host/out.txt"; exit 77; }
[[ $host_rc == 0 ]] || fail "host exit $host_rc: $(cat "$work/host/out.txt")"
[[ $guest_rc == 0 ]] || fail "guest exit $guest_rc: $(cat "$work/guest/out.txt")"
[[ $mode == peer ]] && { read -r own opp rounds < "$work/host/result.txt"; [[ $own == 3 && $opp == 0 ]] || fail "host result $own $opp"; echo "peer: ok"; exit 0; }

python3 - "$work" <<'PY' || fail "the two sides disagree"
import sys, struct
work = sys.argv[1]
def read(side, name):
    return open(f"{work}/{side}/{name}", "rb").read()
def messages(stream):
    return [stream[i:i + 440] for i in range(0, len(stream) - len(stream) % 440, 440)]
ok = True
for sender, reader in (("host", "guest"), ("guest", "host")):
    sent, got = read(sender, "sent.bin"), read(reader, "received.bin")
    if len(got) % 440 or len(sent) % 440:
        print(f"{sender}->{reader}: a message was cut ({len(sent)} sent, {len(got)} read)"); ok = False
    if sent[:len(got)] != got:
        print(f"{sender}->{reader}: the bytes read are not the bytes sent"); ok = False
    attacks = sum(struct.unpack_from("<H", m, 2)[0] for m in messages(got))
    inserted = [int(x) for x in open(f"{work}/{reader}/inserts.txt")]
    print(f"{sender}->{reader}: {len(sent) // 440} messages sent, {len(got) // 440} read, "
          f"{attacks} attack lines read, pending rows at locks {inserted}")
    if sum(min(n, 5) for n in inserted) > attacks:
        print("more rows pushed in than attack lines read"); ok = False
    if len(got) < 440 * 60:
        print("too few messages read"); ok = False
host = [int(x) for x in open(f"{work}/host/result.txt").read().split()]
guest = [int(x) for x in open(f"{work}/guest/result.txt").read().split()]
print("host own/opponent/rounds", host, "guest", guest)
if host[0] != guest[1] or host[1] != guest[0] or max(host[:2]) != 3:
    print("the scores disagree"); ok = False
total_attacks = sum(struct.unpack_from("<H", m, 2)[0] for m in messages(read("host", "received.bin") + read("guest", "received.bin")))
if total_attacks == 0 or not open(f"{work}/guest/inserts.txt").read().strip() and not open(f"{work}/host/inserts.txt").read().strip():
    print("no garbage was exchanged: the match shows nothing of the attacks"); ok = False
sys.exit(0 if ok else 1)
PY
echo "match: ok"
