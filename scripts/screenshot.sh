#!/bin/sh
# Takes docs/main-window.png: the main window on account 1's page with a few holdings,
# under a virtual X display, against the simulated quote service with fixed prices.
set -e
cd "$(dirname "$0")/.."
./scripts/build.sh
for p in xdotool imagemagick; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || apt-get install -y "$p"
done

work=$(mktemp -d)
cp build/yanlan "$work/"
build/yanlan-ledger create "$work/Sys.dat"
port=18931
build/yanlan-market --listen 127.0.0.1:$port --seed 3 > "$work/market.log" 2>&1 &
market=$!
sleep 1
# a few trades of earlier days, written straight into the fresh ledger, a little below
# today's prices
python3 - "$work/Sys.dat" "$port" <<'PY'
import datetime, sqlite3, sys, urllib.request
db = sqlite3.connect(sys.argv[1])
day = (datetime.date.today() - datetime.timedelta(days=3)).isoformat()

def price(gp):
    body = urllib.request.urlopen("http://127.0.0.1:%s/list=%s" % (sys.argv[2], gp)).read()
    fields = body.decode("gbk").split('"')[1].split(",")
    return float(fields[3]) or float(fields[2])

# about 25,000 yuan in each of three stocks, in whole lots
trades = [("sz000001", "平安银行", 0.93), ("sh600000", "浦发银行", 1.04), ("sz000002", "万 科Ａ", 0.97)]
spent = 0
for gp, name, factor in trades:
    dj = round(price(gp) * factor, 2)
    sl = max(100, int(25000 / dj / 100) * 100)
    db.execute("INSERT INTO tJXC (Code,GP,GPName,sl,dj,je,flag,dtDate) VALUES (1,?,?,?,?,?,1,?)",
               (gp, name, sl, dj, round(sl * dj, 2), day + " 10:30:00"))
    db.execute("INSERT INTO tStore (CODE,GP,SL,CBJ) VALUES (1,?,?,?)", (gp, sl, dj))
    spent += round(sl * dj, 2)
db.execute("UPDATE tAccount SET YE=YE-? WHERE Code=1", (spent,))
db.commit()
PY

Xvfb :97 -screen 0 1100x700x24 > /dev/null 2>&1 &
xvfb=$!
trap 'kill $market $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
sleep 1
DISPLAY=:97 "$work/yanlan" --quote-host 127.0.0.1:$port &
app=$!
sleep 2
DISPLAY=:97 xdotool type 123456
DISPLAY=:97 xdotool key Return
sleep 3
DISPLAY=:97 import -window root docs/main-window.png
kill $app 2>/dev/null || true
echo "wrote docs/main-window.png"
