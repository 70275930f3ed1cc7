#!/usr/bin/env bash
# A throwaway CUPS scheduler for the printing tests.
#   cups-test-server.sh start       starts a scheduler of its own in a new temporary directory,
#                                   listening only on a Unix socket there, with two raw
#                                   queues whose backend writes every job to a file in
#                                   DIR/jobs (job-ID.raw): kro-raw, the default, and
#                                   kro-refusing, which refuses jobs. Prints the export lines
#                                   of its location (CUPS_SERVER, the socket; KRO_CUPS_DIR,
#                                   KRO_CUPS_JOBS, KRO_CUPS_QUEUE, KRO_CUPS_REFUSING) and
#                                   writes them to $KRO_CUPS_DIR/env.
#   cups-test-server.sh stop [DIR]  stops the scheduler of DIR (default $KRO_CUPS_DIR) and
#                                   removes DIR.
# Typical use: eval "$(scripts/cups-test-server.sh start)"; ...; scripts/cups-test-server.sh stop
set -euo pipefail

die() {
    echo "cups-test-server: error: $*" >&2
    exit 1
}

cupsd_bin() {
    local bin
    bin="$(command -v cupsd 2>/dev/null || echo /usr/sbin/cupsd)"
    [[ -x "$bin" ]] || die "no cupsd found: install the package cups-daemon"
    command -v lpadmin >/dev/null || die "no lpadmin found: install the package cups-client"
    echo "$bin"
}

# The backend of the test queues: DEVICE_URI is kroraw:DIRECTORY; each job lands in
# DIRECTORY/job-ID.raw, renamed into place once complete.
write_backend() {
    cat >"$1" <<'EOF'
#!/bin/sh
if [ $# -eq 0 ]; then
    echo 'direct kroraw "Unknown" "Kro test output"'
    exit 0
fi
directory="${DEVICE_URI#kroraw:}"
cat "${6:--}" >"$directory/job-$1.part" || exit 1
mv "$directory/job-$1.part" "$directory/job-$1.raw"
EOF
    # Owned by the scheduler's user and private, the backend runs with its rights.
    chmod 0700 "$1"
}

write_config() {
    local dir="$1" user group
    user="$(id -un)"
    group="$(id -gn)"
    # The scheduler refuses to run its helpers as root; as root it takes lp for them.
    if ((EUID == 0)); then
        user=lp
        group=lp
    fi
    cat >"$dir/conf/cups-files.conf" <<EOF
ServerRoot $dir/conf
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
ServerBin $dir/bin
DataDir /usr/share/cups
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
SystemGroup $(id -gn)
User $user
Group $group
Sandboxing Relaxed
EOF
    cat >"$dir/conf/cupsd.conf" <<EOF
Listen $dir/cups.sock
Browsing Off
LogLevel warn
MaxLogSize 0
WebInterface No
PreserveJobFiles No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  JobPrivateAccess all
  JobPrivateValues none
  SubscriptionPrivateAccess all
  SubscriptionPrivateValues none
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
}

start() {
    local bin dir lp attempt
    bin="$(cupsd_bin)"
    dir="$(mktemp -d /tmp/kro-cups.XXXXXX)"
    chmod 0755 "$dir"
    mkdir -p "$dir"/{conf,spool/tmp,cache,state,log,jobs,bin/backend,bin/filter}
    ln -s /usr/lib/cups/daemon "$dir/bin/daemon"
    write_backend "$dir/bin/backend/kroraw"
    write_config "$dir"
    "$bin" -f -c "$dir/conf/cupsd.conf" -s "$dir/conf/cups-files.conf" \
        >"$dir/log/cupsd.out" 2>&1 </dev/null &
    echo $! >"$dir/cupsd.pid"
    lp=(-h "$dir/cups.sock")
    for attempt in $(seq 1 100); do
        if lpstat "${lp[@]}" -r 2>/dev/null | grep -q "scheduler is running"; then
            break
        fi
        if ! kill -0 "$(cat "$dir/cupsd.pid")" 2>/dev/null || ((attempt == 100)); then
            cat "$dir/log/cupsd.out" "$dir/log/error_log" >&2 2>/dev/null || true
            stop "$dir" 2>/dev/null || rm -rf "$dir"
            die "the scheduler did not start"
        fi
        sleep 0.1
    done
    if ! lpadmin "${lp[@]}" -p kro-raw -E -v "kroraw:$dir/jobs" ||
        ! lpadmin "${lp[@]}" -p kro-refusing -E -v "kroraw:$dir/jobs" ||
        ! lpadmin "${lp[@]}" -d kro-raw ||
        ! cupsreject "${lp[@]}" kro-refusing; then
        cat "$dir/log/error_log" >&2 2>/dev/null || true
        stop "$dir"
        die "cannot set up the test queues"
    fi
    cat >"$dir/env" <<EOF
export CUPS_SERVER=$dir/cups.sock
export KRO_CUPS_DIR=$dir
export KRO_CUPS_JOBS=$dir/jobs
export KRO_CUPS_QUEUE=kro-raw
export KRO_CUPS_REFUSING=kro-refusing
EOF
    cat "$dir/env"
    echo "cups-test-server: CUPS listening on $dir/cups.sock" >&2
}

stop() {
    local dir="${1:-${KRO_CUPS_DIR:-}}" pid attempt
    [[ -n "$dir" ]] || die "no server directory: give it or set KRO_CUPS_DIR"
    [[ -f "$dir/cupsd.pid" ]] || die "$dir holds no scheduler"
    pid="$(cat "$dir/cupsd.pid")"
    if kill "$pid" 2>/dev/null; then
        for attempt in $(seq 1 50); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -9 "$pid" 2>/dev/null || true
    else
        echo "cups-test-server: the scheduler of $dir was not running" >&2
    fi
    rm -rf "$dir"
}

case "${1:-}" in
start) start ;;
stop) stop "${2:-}" ;;
*)
    echo "usage: $0 start | stop [DIR]" >&2
    exit 2
    ;;
esac
