#!/usr/bin/env bash
# Runs the commands of README.md's ```sh blocks as a reader would, against stand-in servers
# started here on free loopback ports with temporary data folders, and fails on the first one
# that fails. A full comment line after a command that reads "# NAME=VALUE" is output the README
# promises; it must appear in what the command printed.
#
# The README's addresses stand for these servers: 127.0.0.1:8010 is the report server,
# 127.0.0.1:8020 the portal, /tmp/ the temporary folder (the servers publish from there), and
# build/ the build folder given. bradmtool commands go to the server started with --users when
# they name a user, otherwise to the one without. Commands run in a scratch folder where
# tools/ is the source's, so files they write stay out of the source tree.
#
# A command that cannot run here (it needs a person at a terminal, or builds a folder of its
# own) is named below with the test that runs it instead; any other command is an error, so
# the README cannot gain a command no test runs.
#
# usage: readme-commands.sh SOURCE_DIR BUILD_DIR
set -uo pipefail

SOURCE=$1
BUILD=$2
BIN=$BUILD/bin
export LD_LIBRARY_PATH="$BUILD/lib${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
unset BRINDLE_PASSWORD

WORK=$(mktemp -d "${TMPDIR:-/tmp}/brindle-readme.XXXXXX") || exit 1
SERVER_PIDS=()
cleanup() {
  local pid
  for pid in "${SERVER_PIDS[@]}"; do
    kill -TERM "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  rm -rf "$WORK"
}
trap cleanup EXIT
mkdir -p "$WORK/tmp" "$WORK/run"
export TMPDIR=$WORK/tmp
ln -s "$SOURCE/tools" "$WORK/run/tools"
printf 'alice:secret\n' >"$WORK/run/users.txt"

failures=0
fail() {
  printf 'README FAILED: %s\n' "$*" >&2
  failures=$((failures + 1))
}

# start_server NAME ARGS...: a brindle-server on free ports; sets NAME_REPORT and NAME_PORTAL.
start_server() {
  local name=$1
  shift
  local out="$WORK/$name.out"
  "$BIN/brindle-server" --data "$WORK/$name-data" --report-port 0 --portal-port 0 "$@" \
    >"$out" 2>"$WORK/$name.err" &
  SERVER_PIDS+=($!)
  local _
  for _ in $(seq 1 100); do
    grep -q '^report-port=' "$out" && break
    sleep 0.1
  done
  local ports
  ports=$(grep -m1 '^report-port=' "$out") || { cat "$WORK/$name.err" >&2; exit 1; }
  printf -v "${name}_REPORT" '%s' "$(sed 's/^report-port=\([0-9]*\).*/\1/' <<<"$ports")"
  printf -v "${name}_PORTAL" '%s' "$(sed 's/.*portal-port=\([0-9]*\).*/\1/' <<<"$ports")"
}

start_server OPEN
start_server USERS --users "$WORK/run/users.txt"

bradmtool() {
  local port=$OPEN_REPORT arg
  for arg in "$@"; do [ "$arg" = --user ] && port=$USERS_REPORT; done
  "$BIN/bradmtool" --server "127.0.0.1:$port" "$@"
}
brpublish() { "$BIN/brpublish" "$@"; }

# The README's text with its addresses and folders replaced by this run's.
localise() {
  local text=$1
  text=${text//127.0.0.1:8010/127.0.0.1:$OPEN_REPORT}
  text=${text//127.0.0.1:8020/127.0.0.1:$OPEN_PORTAL}
  text=${text//\/tmp\//$TMPDIR/}
  text=${text//build\/bin\//$BIN/}
  printf '%s' "$text"
}

# run_shell COMMAND: runs it in the scratch folder; its output is kept in $WORK/last.
run_shell() {
  (cd "$WORK/run" && eval "$1") </dev/null >"$WORK/last" 2>&1
}

# A brindle-server line: started on free ports (the README's fixed ones may be taken on this
# machine), stopped once it announces them; a line that ends by itself must succeed.
SERVER_LINES=0
run_server_line() {
  local line=$1 args
  # A file of its own for each line, empty before the server starts: the check must not read
  # an earlier server's announcement before the new one has opened its output.
  SERVER_LINES=$((SERVER_LINES + 1))
  local output="$WORK/server-line-$SERVER_LINES.out"
  : >"$output"
  args=$(localise "$line")
  args=${args#"$BIN/brindle-server"}
  args=$(sed -E 's/--(report|portal)-port +[0-9]+//g' <<<"$args")
  (cd "$WORK/run" && eval "exec \"\$BIN/brindle-server\" --report-port 0 --portal-port 0 $args") \
    </dev/null >"$output" 2>&1 &
  local pid=$! _
  for _ in $(seq 1 100); do
    grep -q '^report-port=' "$output" && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if grep -q '^report-port=' "$output"; then
    kill -TERM "$pid"
    if wait "$pid"; then
      printf 'README ok: %s\n' "$line"
    else
      fail "$line: did not stop cleanly on SIGTERM"
    fi
  elif ! kill -0 "$pid" 2>/dev/null; then
    # A line that ends by itself (--help, --version) must succeed.
    local status=0
    wait "$pid" || status=$?
    if ((status == 0)); then
      printf 'README ok: %s\n' "$line"
    else
      fail "$line: ended with status $status before announcing its ports: $(cat "$output")"
    fi
  else
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    fail "$line: did not announce its ports within 10 seconds: $(cat "$output")"
  fi
}

covered() { printf 'README run elsewhere: %s  [%s]\n' "$1" "$2"; }

run_line() {
  local line=$1
  case $line in
    "make test"*) covered "$line" "it runs this check" ;;
    "make demo"* | "DEMO_PAUSE=1 make demo"*) covered "$line" "the demo itself, tools/demo/demo.sh" ;;
    "make install"*) covered "$line" "PackagingTest installs the same components with cmake --install" ;;
    "make bench"* | "make fuzz"*) covered "$line" "builds its own folder; not run by the tests" ;;
    "export PKG_CONFIG_PATH="* | "c++ "*) covered "$line" "PackagingTest.HostBuildsWithPkgConfigAndTheHeadersAreComplete" ;;
    *"brpublish "*"--wizard"*) covered "$line" "BrpublishTest.WizardRunFromPipedInput" ;;
    "bradmtool --user "*)
      if [[ $line == *--password* ]]; then
        run_checked "$line"
      else
        covered "$line" "PasswordTest.UserWithoutPasswordIsAskedOnTheTerminalWithoutEcho"
      fi ;;
    "build/bin/brindle-server "*) run_server_line "$line" ;;
    "ctest --test-dir build -R "*)
      local pattern
      pattern=$(sed -E 's/.* -R +([^ ]+).*/\1/' <<<"$line")
      ctest --test-dir "$BUILD" -N -R "$pattern" </dev/null >"$WORK/last" 2>&1
      grep -Eq 'Total Tests: [1-9]' "$WORK/last" || fail "$line: the pattern matches no test" ;;
    bradmtool* | brpublish* | BRINDLE_PASSWORD=* | "cp "* | "printf "* | "build/bin/tests_"*)
      run_checked "$line" ;;
    *) fail "no check runs this README command: $line" ;;
  esac
}

run_checked() {
  local line=$1
  if run_shell "$(localise "$line")"; then
    printf 'README ok: %s\n' "$line"
    LAST_RAN=1
  else
    fail "$line: $(cat "$WORK/last")"
  fi
}

# The promised output: "# NAME=VALUE" lines right after the command.
check_promise() {
  local promise=$1 command=$2
  promise=$(localise "$promise")
  promise=${promise//=8020/=$OPEN_PORTAL}
  if grep -qF -- "$promise" "$WORK/last"; then
    printf "README ok:   printed %s\n" "$promise"
  else
    fail "$command: promised \"$promise\", printed: $(cat "$WORK/last")"
  fi
}

# Every benchmark the sources register is named in the README.
for name in $(grep -rhoE 'BENCHMARK\((BM_[A-Za-z0-9_]+)|RegisterBenchmark\(\("(BM_[A-Za-z0-9_]+)' "$SOURCE/bench" |
              grep -oE 'BM_[A-Za-z0-9_]+' | sort -u); do
  grep -qF "\`$name" "$SOURCE/README.md" || fail "the README's benchmark list lacks $name"
done

# The commands of the ```sh blocks, continuation lines joined; comment lines kept for promises.
in_block=0
command=""
LAST_RAN=0
last_command=""
while IFS= read -r text || [ -n "$text" ]; do
  if ((in_block == 0)); then
    [[ $text == '```sh' ]] && in_block=1
    continue
  fi
  if [[ $text == '```' ]]; then
    in_block=0
    LAST_RAN=0
    continue
  fi
  if [[ -n $command ]]; then
    command+=" ${text#"${text%%[![:space:]]*}"}"
  else
    command=$text
  fi
  if [[ $command == *\\ ]]; then
    command=${command%\\}
    continue
  fi
  trimmed=${command#"${command%%[![:space:]]*}"}
  command=""
  [[ -z $trimmed ]] && continue
  if [[ $trimmed == \#* ]]; then
    promise=$(sed -E -n 's/^#[[:space:]]+([A-Za-z][A-Za-z-]*=[^ ]+)$/\1/p' <<<"$trimmed")
    if [[ -n $promise && $LAST_RAN == 1 ]]; then
      check_promise "$promise" "$last_command"
    fi
    continue
  fi
  LAST_RAN=0
  last_command=$trimmed
  run_line "$trimmed"
done <"$SOURCE/README.md"

if ((failures > 0)); then
  printf '%d README command(s) failed\n' "$failures" >&2
  exit 1
fi
printf 'Every README command ran or is run by the test named beside it.\n'
