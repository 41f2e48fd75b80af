#!/usr/bin/env bash
# Starts a private CUPS scheduler for tests, in the folder given, with one raw
# queue "capture" whose backend stores each job under DIR/out. It listens on
# DIR/socket only. Prints the scheduler's pid when it is ready.
#   cupsd_sandbox.sh DIR [--no-default] [--require-auth]
# --require-auth makes every job operation demand a password, also of root
# (no peer credentials).
set -euo pipefail
dir=$1
shift
make_default=1
job_limit=""
peer_cred_off=0
while [ $# -gt 0 ]; do
    case $1 in
        --no-default) make_default=0 ;;
        --require-auth)
            # Over a unix socket cupsd would otherwise know root by its peer
            # credentials and refuse at once, never asking for a password.
            peer_cred_off=1
            job_limit="
  <Limit Create-Job Print-Job Send-Document Validate-Job>
    AuthType Basic
    Require user novemra-nobody
    Order deny,allow
  </Limit>" ;;
    esac
    shift
done

mkdir -p "$dir"/{serverbin/backend,cache,state,spool/tmp,log,out,conf}
chmod 755 "$dir" "$dir/serverbin" "$dir/serverbin/backend"
chmod 777 "$dir/out"
for sub in filter daemon notifier; do
    [ -e /usr/lib/cups/$sub ] && ln -sfn /usr/lib/cups/$sub "$dir/serverbin/$sub"
done

# The backend writes the job's title, format and bytes to files. Without
# arguments it answers device discovery like any backend.
cat >"$dir/serverbin/backend/capture" <<'SCRIPT'
#!/bin/sh
[ $# -eq 0 ] && { echo 'direct capture "Unknown" "Capture"'; exit 0; }
out=${DEVICE_URI#capture:}
job=$1
printf '%s' "$3" >"$out/job-$job.title"
printf '%s' "$CONTENT_TYPE" >"$out/job-$job.format"
if [ $# -ge 6 ]; then cat "$6"; else cat; fi >"$out/job-$job.tmp"
mv "$out/job-$job.tmp" "$out/job-$job.data"
SCRIPT
chmod 755 "$dir/serverbin/backend/capture"

cat >"$dir/conf/cupsd.conf" <<CONF
Listen $dir/socket
LogLevel warn
Browsing Off
DefaultAuthType None
WebInterface No
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>$job_limit
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
cat >"$dir/conf/cups-files.conf" <<CONF
User lp
Group lp
ServerRoot $dir/conf
ServerBin $dir/serverbin
CacheDir $dir/cache
StateDir $dir/state
RequestRoot $dir/spool
TempDir $dir/spool/tmp
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
CONF

start_cupsd() {
    # cupsd must not hold the caller's pipe open: the caller reads until the pid.
    /usr/sbin/cupsd -f -c "$dir/conf/cupsd.conf" -s "$dir/conf/cups-files.conf" >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 100); do
        [ -S "$dir/socket" ] && break
        sleep 0.05
    done
    [ -S "$dir/socket" ] || { echo "cupsd did not start" >&2; cat "$dir/log/error_log" >&2 || true; exit 1; }
}
start_cupsd

export CUPS_SERVER=$dir/socket
lpadmin -p capture -E -v "capture:$dir/out" -m raw 2>/dev/null
[ $make_default -eq 1 ] && lpadmin -d capture
# Without peer credentials lpadmin's own requests would be refused: that
# setting comes once the queue is set up, with the scheduler started again
# (queues are kept).
if [ $peer_cred_off -eq 1 ]; then
    printf 'PeerCred Off\n' >>"$dir/conf/cups-files.conf"
    kill "$pid"
    while kill -0 "$pid" 2>/dev/null; do sleep 0.02; done
    rm -f "$dir/socket"
    start_cupsd
fi
echo "$pid"
