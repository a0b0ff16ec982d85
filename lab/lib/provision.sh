# shellcheck shell=bash disable=SC2034
# Provisioning a new domain controller for the instance and seeding it.

LAB_PYTHON=/usr/bin/python3  # the interpreter python3-samba is installed for
LAB_MALLOC_TUNING=glibc.malloc.mxfast=0:glibc.malloc.mmap_threshold=33554432:glibc.malloc.trim_threshold=268435456:glibc.malloc.top_pad=67108864

# A fingerprint of everything that decides the seeded data: when the generator
# changes, or the computer's name does, the next start provisions afresh.
lab_fingerprint() {
  {
    echo "instance=$LAB_INSTANCE realm=$LAB_REALM server=$LAB_EXCHANGE_SERVER if=$LAB_INTERFACES"
    # comment lines do not count, so documenting the generator keeps the data
    grep -hv '^[[:space:]]*#' "$LAB_HOME"/seed/*.py "$LAB_HOME"/lib/provision.sh "$LAB_HOME"/lib/tls.sh
  } | sha256sum | cut -c1-16
}

lab_provisioned() {
  [ -r "$LAB_MARKER" ] && [ "$(<"$LAB_MARKER")" = "$(lab_fingerprint)" ]
}

# Maps the DC's host name to the instance's loopback address in /etc/hosts.
lab_ensure_hosts_line() {
  local have
  have=$(getent hosts "$LAB_DC_HOST" 2>/dev/null | awk 'NR==1{print $1}') || true
  [ "$have" = "$LAB_IP" ] && return 0
  [ -z "$have" ] || lab_die "$LAB_DC_HOST resolves to $have, not $LAB_IP; fix /etc/hosts"
  local line="$LAB_IP $LAB_DC_HOST $LAB_DC_SHORT"
  [ "$LAB_INSTANCE" = normal ] || line="$LAB_IP $LAB_DC_HOST"
  if [ -w /etc/hosts ]; then
    echo "$line" >>/etc/hosts
  else
    echo "$line" | sudo tee -a /etc/hosts >/dev/null || lab_die "cannot add '$line' to /etc/hosts"
  fi
}

lab_wipe_state() {
  lab_stop_server
  case $LAB_STATE in
    "" | / | "$HOME" | "$HOME/") lab_die "refusing to delete state directory '$LAB_STATE'" ;;
  esac
  rm -rf -- "$LAB_STATE"
}

# samba-tool prints the generated administrator password; it goes into a 0600
# file and never into the log, the terminal or a command line.
lab_samba_provision() {
  local out status=0
  out=$(samba-tool domain provision --targetdir="$LAB_DC_DIR" \
    --realm="$LAB_REALM" --domain="$LAB_NETBIOS" --server-role=dc \
    --dns-backend=SAMBA_INTERNAL --host-name="$LAB_DC_SHORT" --host-ip="$LAB_IP" \
    --option="interfaces=$LAB_INTERFACES" --option="bind interfaces only=yes" \
    --option="dsdb:schema update allowed=true" \
    --option="server services=-s3fs -winbindd -nbt -wrepl -ntp_signd -dnsupdate" \
    --option="tls enabled=yes" --option="tls keyfile=$LAB_TLS/dc.key" \
    --option="tls certfile=$LAB_TLS/dc.pem" --option="tls cafile=$LAB_CA_CERT" \
    --option="log file=$LAB_LOG/samba.log" --option="max log size=10000" \
    --option="pid directory=$LAB_RUN" 2>&1) || status=$?
  printf '%s\n' "$out" | sed -E 's/(Admin password:).*/\1 (written to the lab secrets)/' \
    >"$LAB_LOG/provision.log"
  ((status == 0)) || lab_die "provisioning failed; see $LAB_LOG/provision.log"
  local password
  password=$(printf '%s\n' "$out" | sed -n -E 's/.*Admin password:[[:space:]]*//p' | head -n 1)
  [ -n "$password" ] || lab_die "provisioning printed no administrator password"
  printf '%s' "$password" >"$LAB_ADMIN_PW"
  chmod 600 "$LAB_ADMIN_PW"
}

lab_provision() {
  local started=$SECONDS
  lab_say "provisioning $LAB_REALM in $LAB_STATE"
  lab_wipe_state
  (umask 077 && mkdir -p "$LAB_STATE" "$LAB_SECRETS" "$LAB_LOG" "$LAB_RUN" \
    "$LAB_STORE_ROOT" "$LAB_COMPLUS")
  lab_make_tls
  lab_samba_provision
  lab_say "seeding the directory"
  # Every added object copies Samba's growing index lists; keeping those large
  # blocks on a heap that neither shrinks nor consolidates halves a bulk load.
  GLIBC_TUNABLES=$LAB_MALLOC_TUNING "$LAB_PYTHON" -B "$LAB_HOME/seed/seed.py" --smbconf "$LAB_SMBCONF" \
    --host "$LAB_EXCHANGE_SERVER" --limited-password-file "$LAB_LIMITED_PW" \
    "${LAB_SEED_ARGS[@]}" >"$LAB_LOG/seed.log" 2>&1 ||
    lab_die "seeding failed; see $LAB_LOG/seed.log"
  lab_fingerprint >"$LAB_MARKER"
  lab_say "provisioned and seeded in $((SECONDS - started)) s"
}
