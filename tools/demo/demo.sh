#!/usr/bin/env bash
# The demo behind `make demo`: builds what it needs, starts brindle-server on free loopback
# ports with a temporary data folder, publishes the sample report to the portal with
# brpublish, republishes a changed version to the same NewsItem, shows what the report server
# and the portal now hold, and stops the server. Nothing stays running or behind; any failed
# step stops the demo with a message and a non-zero exit status.
#
# Environment: BUILD (build folder, default build), JOBS (parallel build jobs),
# DEMO_PAUSE=1 keeps the server up until Enter is pressed, to look around in a browser.
set -euo pipefail

SOURCE=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
DEMO="$SOURCE/tools/demo"
BUILD=${BUILD:-build}
case "$BUILD" in /*) ;; *) BUILD="$SOURCE/$BUILD" ;; esac
JOBS=${JOBS:-$(nproc 2>/dev/null || echo 2)}
BIN="$BUILD/bin"
USER_NAME=demo
PASSWORD=demo

step() { printf '\n==> %s\n' "$*"; }
fail() { printf 'demo: FAILED: %s\n' "$*" >&2; exit 1; }

WORK=""
SERVER_PID=""
cleanup() {
  local status=$?
  if [ -n "$SERVER_PID" ] && kill -0 "$SERVER_PID" 2>/dev/null; then
    kill -TERM "$SERVER_PID" 2>/dev/null || true
    wait "$SERVER_PID" 2>/dev/null || true
  fi
  [ -n "$WORK" ] && rm -rf "$WORK"
  if [ "$status" -eq 0 ]; then
    printf '\nThe server is stopped and its temporary folder removed.\n'
  else
    printf '\ndemo: stopped after a failure (exit status %s); the server is stopped.\n' "$status" >&2
  fi
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# One HTTP GET on loopback, body only: bash's /dev/tcp, or curl where bash has no /dev/tcp.
http_get() {
  local port=$1 target=$2
  if timeout 10 bash -c "exec 3<>/dev/tcp/127.0.0.1/$port" 2>/dev/null; then
    timeout 10 bash -c '
      exec 3<>"/dev/tcp/127.0.0.1/$1"
      printf "GET %s HTTP/1.1\r\nHost: 127.0.0.1:%s\r\nConnection: close\r\n\r\n" "$2" "$1" >&3
      cat <&3' _ "$port" "$target" | sed '1,/^\r\{0,1\}$/d'
  elif command -v curl >/dev/null 2>&1; then
    curl -fsS --max-time 10 "http://127.0.0.1:$port$target"
  else
    fail "cannot fetch http://127.0.0.1:$port$target (no /dev/tcp in bash, no curl)"
  fi
}

step "Building brindle-server, the libraries and the tools in $BUILD"
if [ ! -f "$BUILD/CMakeCache.txt" ]; then
  generator=()
  command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
  cmake -S "$SOURCE" -B "$BUILD" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null \
    || fail "cmake could not configure $BUILD"
fi
cmake --build "$BUILD" -j "$JOBS" --target brindle-server bradmtool brpublish \
  bradmtoolMsg SentrelAPI Tessaron LUMORACONNECT || fail "the build failed"
# The message, security and portal libraries are loaded at run time by name.
export LD_LIBRARY_PATH="$BUILD/lib${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"

WORK=$(mktemp -d "${TMPDIR:-/tmp}/brindle-demo.XXXXXX")
mkdir -p "$WORK/tmp"
export TMPDIR="$WORK/tmp"

step "Starting brindle-server on free loopback ports (data folder $WORK/data)"
"$BIN/brindle-server" --data "$WORK/data" --report-port 0 --portal-port 0 \
  >"$WORK/server.out" 2>"$WORK/server.log" &
SERVER_PID=$!
for _ in $(seq 1 100); do
  grep -q '^report-port=' "$WORK/server.out" && break
  kill -0 "$SERVER_PID" 2>/dev/null || fail "brindle-server exited: $(cat "$WORK/server.log")"
  sleep 0.1
done
read -r REPORT_PORT PORTAL_PORT < <(
  sed -n 's/^report-port=\([0-9]*\) portal-port=\([0-9]*\).*/\1 \2/p' "$WORK/server.out") \
  || fail "brindle-server did not announce its ports: $(cat "$WORK/server.log")"
SERVER="127.0.0.1:$REPORT_PORT"
echo "report server at $SERVER, portal at 127.0.0.1:$PORTAL_PORT"

step "Publishing sample-report.xml as a new NewsItem in the NewsBox /Sales/Europe"
echo "\$ brpublish --server $SERVER --report tools/demo/sample-report.xml --name 'Quarterly sales' --box /Sales/Europe --user $USER_NAME --password ..."
FIRST=$("$BIN/brpublish" --server "$SERVER" --report "$DEMO/sample-report.xml" \
  --name "Quarterly sales" --box /Sales/Europe --description "First quarter" \
  --user "$USER_NAME" --password "$PASSWORD") || fail "brpublish could not publish the report"
echo "$FIRST"
NEWS_ITEM=$(sed -n 's/^NewsItemId=//p' <<<"$FIRST")
PORTAL=$(sed -n 's/^Portal=//p' <<<"$FIRST")
[ -n "$NEWS_ITEM" ] && [ -n "$PORTAL" ] || fail "brpublish printed no NewsItemId and Portal"

step "Republishing a changed version (sample-report-v2.xml) to the same NewsItem $NEWS_ITEM"
echo "\$ brpublish --server $SERVER --report tools/demo/sample-report-v2.xml --item $NEWS_ITEM --portal $PORTAL --user $USER_NAME --password ..."
SECOND=$("$BIN/brpublish" --server "$SERVER" --report "$DEMO/sample-report-v2.xml" \
  --item "$NEWS_ITEM" --portal "$PORTAL" --description "First and second quarter" \
  --user "$USER_NAME" --password "$PASSWORD") || fail "brpublish could not republish the report"
echo "$SECOND"
[ "$(sed -n 's/^NewsItemId=//p' <<<"$SECOND")" = "$NEWS_ITEM" ] \
  || fail "the republication answered another NewsItem than $NEWS_ITEM"

step "What the report server holds: bradmtool list /"
echo "\$ bradmtool --server $SERVER list /"
"$BIN/bradmtool" --server "$SERVER" list / || fail "bradmtool list / failed"

step "The portal's page http://$PORTAL/ (the NewsBoxes that hold NewsItems)"
PAGE=$(http_get "$PORTAL_PORT" /) || fail "the portal's page could not be fetched"
grep -q "Quarterly sales" <<<"$PAGE" || fail "the portal's page does not list the NewsItem"
# The page lists every NewsBox; show the ones with items, tags stripped.
awk '/<li>\// { box = $0 } /href=/ { if (box != shown) { print box; shown = box } print }' <<<"$PAGE" \
  | sed -e 's/<[^>]*>//g' -e 's/&amp;/\&/g' -e 's/&mdash;/-/g' -e 's/^/  /'
LINK=$(grep -o 'href="[^"]*"' <<<"$PAGE" | head -n 1 | sed -e 's/^href="//' -e 's/"$//' -e 's/&amp;/\&/g')
[ -n "$LINK" ] || fail "the portal's page has no link to the report"
http_get "$PORTAL_PORT" "$LINK" >"$WORK/published.xml" || fail "the published report could not be fetched"
cmp -s "$WORK/published.xml" "$DEMO/sample-report-v2.xml" \
  || fail "the portal's link does not give the republished report"
echo "http://$PORTAL$LINK gives the republished report (sample-report-v2.xml), byte for byte."

step "Where to look"
cat <<INFO
  The portal's page:       http://$PORTAL/   (DEMO_PAUSE=1 keeps the server up to browse it)
  The published report:    http://$PORTAL$LINK
  The report server:       $BIN/bradmtool --server $SERVER get /Published --json
  The tools' help:         $BIN/bradmtool --help, $BIN/brpublish --help
  Running it all by hand:  README.md, "Running the server and the tools by hand"
INFO

if [ "${DEMO_PAUSE:-0}" = 1 ]; then
  read -r -p "Press Enter to stop the server... " _ || true
fi
