# shellcheck shell=bash disable=SC2034
# Starting, watching and stopping the instance's samba process (by its PID only).

# Prints the recorded PID when that process is still our samba.
lab_pid() {
  local pid
  [ -r "$LAB_PIDFILE" ] || return 1
  pid=$(<"$LAB_PIDFILE")
  [[ $pid =~ ^[0-9]+$ ]] || return 1
  [ -d "/proc/$pid" ] || return 1
  # A recycled PID must not be mistaken for the lab: it has to be samba and
  # have files of this state directory open.
  [ "$(readlink "/proc/$pid/exe" 2>/dev/null)" = "$(command -v samba)" ] || return 1
  [ -n "$(find "/proc/$pid/fd" -lname "$LAB_STATE/*" -print -quit 2>/dev/null)" ] || return 1
  printf '%s' "$pid"
}

lab_running() {
  lab_pid >/dev/null
}

# Whether some other process already listens on the instance's LDAP address.
lab_port_taken() {
  [ -n "$(ss -Hltn "src $LAB_IP and sport = :389" 2>/dev/null)" ]
}

lab_port_owner() {
  ss -Hltnp "src $LAB_IP and sport = :389" 2>/dev/null | grep -o 'users:.*' || echo unknown
}

lab_ldap_answers() {
  lab_ldap ldapsearch -o nettimeout=3 -LLL -s base -b "" dnsHostName >/dev/null 2>&1
}

lab_start_server() {
  if lab_port_taken; then
    lab_die "another process listens on $LAB_IP:389 ($(lab_port_owner)); stop it first"
  fi
  mkdir -p "$LAB_LOG" "$LAB_RUN"
  setsid samba -F -M single -s "$LAB_SMBCONF" </dev/null >>"$LAB_LOG/samba.out" 2>&1 &
  echo $! >"$LAB_PIDFILE"
  local i
  for ((i = 0; i < 120; i++)); do
    if lab_ldap_answers; then
      return 0
    fi
    if ! kill -0 "$(<"$LAB_PIDFILE")" 2>/dev/null; then
      lab_die "samba exited during start; see $LAB_LOG/samba.log and $LAB_LOG/samba.out"
    fi
    sleep 0.5
  done
  lab_die "LDAP over StartTLS did not answer within 60 s; see $LAB_LOG/samba.log"
}

# lab_stop_pid PID: asks the process to end, waits up to 10 s, then kills it.
lab_stop_pid() {
  local pid=$1 i
  kill -TERM "$pid" 2>/dev/null || true
  for ((i = 0; i < 100; i++)); do
    [ -d "/proc/$pid" ] || return 0
    sleep 0.1
  done
  kill -KILL "$pid" 2>/dev/null || true
  sleep 0.2
}

lab_stop_server() {
  local pid
  pid=$(lab_pid) || { rm -f "$LAB_PIDFILE"; return 0; }
  lab_stop_pid "$pid"
  rm -f "$LAB_PIDFILE"
}
