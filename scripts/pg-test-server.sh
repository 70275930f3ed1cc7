#!/usr/bin/env bash
# A throwaway PostgreSQL server for the tests.
#   pg-test-server.sh start       makes a cluster in a new temporary directory, listening on
#                                 a Unix socket in it and on 127.0.0.1 at a free port, with
#                                 trust authentication and an empty database kro_test. Prints
#                                 the export lines of its connection (KRO_PG_HOST, the socket
#                                 directory; KRO_PG_PORT, KRO_PG_USER, KRO_PG_DATABASE,
#                                 KRO_PG_DIR) and writes them to $KRO_PG_DIR/env.
#   pg-test-server.sh stop [DIR]  stops the server of DIR (default $KRO_PG_DIR), removes DIR.
# Typical use: eval "$(scripts/pg-test-server.sh start)"; ...; scripts/pg-test-server.sh stop
# Run as root, the cluster belongs to the postgres user, since the server refuses root.
set -euo pipefail

die() {
    echo "pg-test-server: error: $*" >&2
    exit 1
}

server_bin() {
    local dir
    for dir in $(printf "%s\n" /usr/lib/postgresql/*/bin | sort -V -r); do
        if [[ -x "$dir/initdb" && -x "$dir/pg_ctl" ]]; then
            echo "$dir"
            return
        fi
    done
    dir="$(dirname "$(command -v initdb 2>/dev/null || echo /nonexistent/initdb)")"
    [[ -x "$dir/initdb" ]] || die "no initdb found: install the package postgresql"
    echo "$dir"
}

# Runs a server program as the owner of the cluster.
as_owner() {
    if ((EUID == 0)); then
        runuser -u postgres -- "$@"
    else
        "$@"
    fi
}

port_is_free() {
    ! (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

start() {
    local bin dir port attempt started=""
    bin="$(server_bin)"
    dir="$(mktemp -d /tmp/kro-pg.XXXXXX)"
    ((EUID != 0)) || chown postgres: "$dir"
    cd "$dir"
    if ! as_owner "$bin/initdb" -D "$dir/data" -U postgres -A trust -E UTF8 --locale=C.UTF-8 \
        >"$dir/initdb.log" 2>&1; then
        cat "$dir/initdb.log" >&2
        rm -rf "$dir"
        die "initdb failed"
    fi
    for attempt in 1 2 3 4 5 6 7 8; do
        port=$((20000 + RANDOM % 40000))
        port_is_free "$port" || continue
        if as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
            -o "-p $port -k $dir -c listen_addresses=127.0.0.1 -c fsync=off \
                -c synchronous_commit=off -c full_page_writes=off" start >/dev/null; then
            started=yes
            break
        fi
        echo "pg-test-server: start on port $port failed (attempt $attempt)" >&2
    done
    if [[ -z "$started" ]]; then
        tail -n 20 "$dir/server.log" >&2 || true
        rm -rf "$dir"
        die "the server did not start"
    fi
    if ! as_owner "$bin/createdb" -h "$dir" -p "$port" -U postgres kro_test; then
        as_owner "$bin/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null || true
        rm -rf "$dir"
        die "cannot create the database kro_test"
    fi
    cat >"$dir/env" <<EOF
export KRO_PG_HOST=$dir
export KRO_PG_PORT=$port
export KRO_PG_USER=postgres
export KRO_PG_DATABASE=kro_test
export KRO_PG_DIR=$dir
EOF
    cat "$dir/env"
    echo "pg-test-server: PostgreSQL listening on $dir and 127.0.0.1:$port" >&2
}

stop() {
    local bin dir="${1:-${KRO_PG_DIR:-}}"
    [[ -n "$dir" ]] || die "no server directory: give it or set KRO_PG_DIR"
    [[ -f "$dir/data/PG_VERSION" ]] || die "$dir holds no cluster"
    bin="$(server_bin)"
    cd /
    as_owner "$bin/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null ||
        echo "pg-test-server: the server of $dir was not running" >&2
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
