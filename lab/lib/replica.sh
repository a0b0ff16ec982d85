# shellcheck shell=bash disable=SC2034
# The second domain controller of the normal instance: dc2.<realm> on
# 127.0.0.3, joined to the lab domain as a replica of dc1 (for failover tests).
# It has its own state directory beside the first DC's and is joined again
# whenever the first DC was provisioned afresh.

lab_replica_select() {
  LAB_DC2_SHORT=dc2
  LAB_DC2_HOST=$LAB_DC2_SHORT.$LAB_DNS
  LAB_DC2_IP=127.0.0.3
  LAB_DC2_URI=ldap://$LAB_DC2_HOST
  LAB_DC2_STATE=${TAVIMOR_LAB_DC2_STATE:-$LAB_STATE-dc2}
  LAB_DC2_DIR=$LAB_DC2_STATE/dc
  LAB_DC2_SMBCONF=$LAB_DC2_DIR/etc/smb.conf
  LAB_DC2_TLS=$LAB_DC2_STATE/tls
  LAB_DC2_LOG=$LAB_DC2_STATE/log
  LAB_DC2_RUN=$LAB_DC2_STATE/run
  LAB_DC2_PIDFILE=$LAB_DC2_STATE/samba.pid
  LAB_DC2_MARKER=$LAB_DC2_STATE/joined
}

lab_replica_pid() {
  local pid
  [ -r "$LAB_DC2_PIDFILE" ] || return 1
  pid=$(<"$LAB_DC2_PIDFILE")
  [[ $pid =~ ^[0-9]+$ ]] && [ -d "/proc/$pid" ] || return 1
  [ "$(readlink "/proc/$pid/exe" 2>/dev/null)" = "$(command -v samba)" ] || return 1
  [ -n "$(find "/proc/$pid/fd" -lname "$LAB_DC2_STATE/*" -print -quit 2>/dev/null)" ] || return 1
  printf '%s' "$pid"
}

lab_replica_answers() {
  LDAPTLS_CACERT=$LAB_CA_CERT LDAPTLS_REQCERT=demand ldapsearch -H "$LAB_DC2_URI" -ZZ -x \
    -D "$LAB_ADMIN_DN" -y "$LAB_ADMIN_PW" -o nettimeout=3 -LLL -s base -b "" dnsHostName \
    >/dev/null 2>&1
}

# The replica belongs to the first DC's current provisioning.
lab_replica_joined() {
  [ -r "$LAB_DC2_MARKER" ] && [ -r "$LAB_MARKER" ] && [ "$(<"$LAB_DC2_MARKER")" = "$(<"$LAB_MARKER")" ]
}

lab_replica_hosts_line() {
  local have line="$LAB_DC2_IP $LAB_DC2_HOST $LAB_DC2_SHORT"
  have=$(getent hosts "$LAB_DC2_HOST" 2>/dev/null | awk 'NR==1{print $1}') || true
  [ "$have" = "$LAB_DC2_IP" ] && return 0
  [ -z "$have" ] || lab_die "$LAB_DC2_HOST resolves to $have, not $LAB_DC2_IP; fix /etc/hosts"
  if [ -w /etc/hosts ]; then
    echo "$line" >>/etc/hosts
  else
    echo "$line" | sudo tee -a /etc/hosts >/dev/null || lab_die "cannot add '$line' to /etc/hosts"
  fi
}

# A server certificate for dc2 from the lab's own CA.
lab_replica_tls() {
  local dir=$LAB_DC2_TLS
  [ -s "$dir/dc.pem" ] && openssl verify -CAfile "$LAB_CA_CERT" "$dir/dc.pem" >/dev/null 2>&1 && return 0
  mkdir -p "$dir"
  (
    umask 077
    cd "$dir" || exit 1
    openssl req -newkey rsa:3072 -nodes -sha256 -keyout dc.key -out dc.csr \
      -subj "/O=Tavimor Lab/CN=$LAB_DC2_HOST" 2>/dev/null
    printf '%s\n' 'basicConstraints = CA:FALSE' \
      'keyUsage = critical, digitalSignature, keyEncipherment' 'extendedKeyUsage = serverAuth' \
      "subjectAltName = DNS:$LAB_DC2_HOST, DNS:$LAB_DNS, IP:$LAB_DC2_IP" >dc.ext
    openssl x509 -req -in dc.csr -CA "$LAB_CA_CERT" -CAkey "$LAB_TLS/ca.key" -CAcreateserial \
      -CAserial "$dir/ca.srl" -days 3650 -sha256 -extfile dc.ext -out dc.pem 2>/dev/null
    rm -f dc.csr dc.ext ca.srl
    chmod 600 dc.key
  )
  openssl verify -CAfile "$LAB_CA_CERT" "$dir/dc.pem" >/dev/null || lab_die "dc2 certificate check failed"
}

# Joins dc2 to the domain through dc1; the administrator's password reaches
# samba-tool through PASSWD_FILE, never a command line.
lab_replica_join() {
  lab_replica_stop
  case $LAB_DC2_STATE in
    "" | / | "$HOME" | "$HOME/" | "$LAB_STATE") lab_die "refusing to use '$LAB_DC2_STATE' for dc2" ;;
  esac
  rm -rf -- "$LAB_DC2_STATE"
  (umask 077 && mkdir -p "$LAB_DC2_STATE" "$LAB_DC2_LOG" "$LAB_DC2_RUN")
  lab_replica_tls
  lab_say "joining $LAB_DC2_HOST to $LAB_REALM (replicating from $LAB_DC_HOST)"
  local status=0
  PASSWD_FILE=$LAB_ADMIN_PW samba-tool domain join "$LAB_DNS" DC --server="$LAB_DC_HOST" \
    --targetdir="$LAB_DC2_DIR" -U "$LAB_NETBIOS\\Administrator" --use-kerberos=off \
    --dns-backend=SAMBA_INTERNAL \
    --option="netbios name=${LAB_DC2_SHORT^^}" \
    --option="interfaces=$LAB_DC2_IP/8" --option="bind interfaces only=yes" \
    --option="server services=-s3fs -winbindd -nbt -wrepl -ntp_signd -dnsupdate" \
    --option="tls enabled=yes" --option="tls keyfile=$LAB_DC2_TLS/dc.key" \
    --option="tls certfile=$LAB_DC2_TLS/dc.pem" --option="tls cafile=$LAB_CA_CERT" \
    --option="log file=$LAB_DC2_LOG/samba.log" --option="max log size=10000" \
    --option="pid directory=$LAB_DC2_RUN" >"$LAB_DC2_LOG/join.log" 2>&1 </dev/null || status=$?
  ((status == 0)) || lab_die "joining dc2 failed; see $LAB_DC2_LOG/join.log"
  cp "$LAB_MARKER" "$LAB_DC2_MARKER"
}

lab_replica_start() {
  lab_replica_hosts_line
  lab_replica_joined || lab_replica_join
  lab_replica_pid >/dev/null && lab_replica_answers && return 0
  lab_replica_stop
  setsid samba -F -M single -s "$LAB_DC2_SMBCONF" </dev/null >>"$LAB_DC2_LOG/samba.out" 2>&1 &
  echo $! >"$LAB_DC2_PIDFILE"
  local i
  for ((i = 0; i < 120; i++)); do
    lab_replica_answers && return 0
    kill -0 "$(<"$LAB_DC2_PIDFILE")" 2>/dev/null ||
      lab_die "dc2 exited during start; see $LAB_DC2_LOG/samba.log"
    sleep 0.5
  done
  lab_die "dc2 did not answer within 60 s; see $LAB_DC2_LOG/samba.log"
}

lab_replica_stop() {
  local pid
  pid=$(lab_replica_pid) || { rm -f "$LAB_DC2_PIDFILE"; return 0; }
  lab_stop_pid "$pid"
  rm -f "$LAB_DC2_PIDFILE"
}
