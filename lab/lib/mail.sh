# shellcheck shell=bash disable=SC2034
# The lab's MTA: Postfix (the Debian package, left unconfigured by its
# installation) with its own configuration and queue under the lab's state,
# listening on loopback only, and the milter it calls. Root only: Postfix's
# master runs as root (its daemons drop to the user postfix).
#
#   127.0.0.1:10025  SMTP, checked by the lab's milter (inet:127.0.0.1:10028)
#   127.0.0.1:10026  SMTP without a milter (the benchmark's baseline)
#   127.0.0.1:10027  SMTP, checked by a milter a test or benchmark starts itself
#                    on 127.0.0.1:10029 (none there: Postfix answers 4xx)
#   127.0.0.1:10030  SMTP, checked by a milter a test or benchmark starts itself
#                    on unix:$LAB_MAIL_SPOOL/sockets/milter.sock (its folder
#                    belongs to tavimor-milter, group postfix, setgid)
#
# Mail is delivered to the Maildir $LAB_MAIL_SPOOL/mailboxes/delivered/, as the
# user nobody, each copy with a Delivered-To: line naming its recipient; mail for
# the large lab's domain (the benchmark's) is discarded. The unprivileged side cannot enter the lab's owner-only state, so
# it lives in $LAB_MAIL_SPOOL (/var/lib/tavimor-lab/mail): Postfix's data folder,
# the mailboxes, and the
# lab milter's copy of the lab's store, catalog, CA certificate and password file,
# owned by the user tavimor-milter (made here when missing, as the package does).

lab_mail_select() {
  LAB_MAIL=$LAB_STATE/mail
  LAB_MAIL_ETC=$LAB_MAIL/etc
  LAB_MAIL_QUEUE=$LAB_MAIL/queue
  LAB_MAIL_LOG=$LAB_MAIL/log
  LAB_MAIL_SPOOL=${TAVIMOR_LAB_MAIL_SPOOL:-/var/lib/tavimor-lab/mail}
  LAB_MAIL_MILTER_STATE=$LAB_MAIL_SPOOL/milter
  LAB_MAIL_MILTER_PIDFILE=$LAB_MAIL/milter.pid
  LAB_MAIL_MILTER_USER=tavimor-milter
  LAB_SMTP_PORT=10025
  LAB_SMTP_PLAIN_PORT=10026
  LAB_SMTP_TEST_PORT=10027
  LAB_MILTER_PORT=10028
  LAB_MILTER_TEST_PORT=10029
  LAB_SMTP_LOCAL_PORT=10030
  LAB_MILTER_LOCAL_SOCKET=$LAB_MAIL_SPOOL/sockets/milter.sock
  LAB_MILTER_BIN=${TAVIMOR_BUILD_DIR:-$LAB_REPO/build}/tavimor-milter
}

lab_mail_postfix_pid() {
  local pid
  [ -r "$LAB_MAIL_QUEUE/pid/master.pid" ] || return 1
  pid=$(tr -d ' \n' <"$LAB_MAIL_QUEUE/pid/master.pid")
  [[ $pid =~ ^[0-9]+$ ]] && [ -d "/proc/$pid" ] || return 1
  [ "$(readlink "/proc/$pid/exe" 2>/dev/null)" = /usr/lib/postfix/sbin/master ] || return 1
  # Our master: it runs with this configuration.
  tr '\0' '\n' <"/proc/$pid/environ" | grep -qxF -- "MAIL_CONFIG=$LAB_MAIL_ETC" || return 1
  printf '%s' "$pid"
}

lab_mail_milter_pid() {
  local pid
  [ -r "$LAB_MAIL_MILTER_PIDFILE" ] || return 1
  pid=$(<"$LAB_MAIL_MILTER_PIDFILE")
  [[ $pid =~ ^[0-9]+$ ]] && [ -d "/proc/$pid" ] || return 1
  # (a build since replaced the file: the link ends in " (deleted)")
  local exe
  exe=$(readlink "/proc/$pid/exe" 2>/dev/null) || return 1
  [ "${exe% (deleted)}" = "$(readlink -f "$LAB_MILTER_BIN")" ] || return 1
  printf '%s' "$pid"
}

lab_mail_port_taken() {
  [ -n "$(ss -Hltn "src 127.0.0.1 and sport = :$1" 2>/dev/null)" ]
}

# Writes main.cf and master.cf into $1 (default: the lab's configuration).
lab_mail_write_config() {
  local etc=${1:-$LAB_MAIL_ETC}
  mkdir -p "$etc" "$LAB_MAIL_QUEUE" "$LAB_MAIL_LOG" "$LAB_MAIL_SPOOL/data"
  # Postfix's daemons enter the queue as root, then work in it as postfix:
  # the folder itself must be open to them (its parents need not be).
  chmod 0755 "$LAB_MAIL_QUEUE"
  chown postfix: "$LAB_MAIL_SPOOL/data"
  cat >"$etc/main.cf" <<CF
# Written by lab/lab mail start; the lab's Postfix, on loopback only.
compatibility_level = 3.6
queue_directory = $LAB_MAIL_QUEUE
data_directory = $LAB_MAIL_SPOOL/data
mail_owner = postfix
setgid_group = postdrop
maillog_file = $LAB_MAIL_LOG/postfix.log
maillog_file_prefixes = $LAB_MAIL_LOG
myhostname = mail.$LAB_DNS
mydomain = $LAB_DNS
myorigin = \$mydomain
inet_interfaces = 127.0.0.1
inet_protocols = ipv4
mynetworks = 127.0.0.0/8
mydestination =
local_recipient_maps =
relay_domains =
relayhost =
alias_maps =
alias_database =
address_verify_map =
fast_flush_domains =
smtpd_relay_restrictions = permit_mynetworks, reject
smtpd_recipient_restrictions = permit_mynetworks, reject
message_size_limit = 52428800
virtual_mailbox_limit = 0
# Final delivery: every domain, into one Maildir, as nobody; each copy names its
# recipient in Delivered-To.
virtual_mailbox_domains = static:all
virtual_mailbox_base = $LAB_MAIL_SPOOL/mailboxes
virtual_mailbox_maps = static:delivered/
# The large lab's mail (the benchmark's) is discarded once accepted.
transport_maps = inline:{big.$LAB_DNS=discard:}
virtual_uid_maps = static:$(id -u nobody)
virtual_gid_maps = static:$(id -g nobody)
# The milter decides before a message is accepted; unreachable, mail waits.
smtpd_milters = inet:127.0.0.1:$LAB_MILTER_PORT
non_smtpd_milters = inet:127.0.0.1:$LAB_MILTER_PORT
milter_default_action = tempfail
milter_protocol = 6
CF
  cat >"$etc/master.cf" <<CF
# Written by lab/lab mail start.
127.0.0.1:$LAB_SMTP_PORT inet n - n - - smtpd
127.0.0.1:$LAB_SMTP_PLAIN_PORT inet n - n - - smtpd
  -o smtpd_milters=
127.0.0.1:$LAB_SMTP_TEST_PORT inet n - n - - smtpd
  -o smtpd_milters=inet:127.0.0.1:$LAB_MILTER_TEST_PORT
127.0.0.1:$LAB_SMTP_LOCAL_PORT inet n - n - - smtpd
  -o smtpd_milters=unix:$LAB_MILTER_LOCAL_SOCKET
pickup    unix  n - n 60 1 pickup
cleanup   unix  n - n - 0 cleanup
qmgr      unix  n - n 300 1 qmgr
rewrite   unix  - - n - - trivial-rewrite
bounce    unix  - - n - 0 bounce
defer     unix  - - n - 0 bounce
trace     unix  - - n - 0 bounce
flush     unix  n - n 1000? 0 flush
proxymap  unix  - - n - - proxymap
smtp      unix  - - n - - smtp
relay     unix  - - n - - smtp
showq     unix  n - n - - showq
error     unix  - - n - - error
retry     unix  - - n - - error
discard   unix  - - n - - discard
virtual   unix  - n n - - virtual
anvil     unix  - - n - 1 anvil
scache    unix  - - n - 1 scache
postlog   unix-dgram n - n - 1 postlogd
CF
}

# The account the milter runs as, made as the package makes it.
lab_mail_ensure_user() {
  id "$LAB_MAIL_MILTER_USER" >/dev/null 2>&1 && return 0
  useradd --system --user-group --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin \
    "$LAB_MAIL_MILTER_USER" || lab_die "cannot create the user $LAB_MAIL_MILTER_USER"
}

# The milter's copy of what it needs from the lab's state (made once; the
# store copy keeps what the milter journaled).
lab_mail_milter_state() {
  local s=$LAB_MAIL_MILTER_STATE
  mkdir -p "$s"
  if [ ! -d "$s/backofficestorage" ]; then
    cp -a "$LAB_STORE_ROOT" "$s/backofficestorage"
    mkdir -p "$s/complus"
    [ ! -e "$LAB_COMPLUS/catalog.db" ] || cp -a "$LAB_COMPLUS/catalog.db" "$s/complus/catalog.db"
  fi
  install -m 0600 "$LAB_ADMIN_PW" "$s/bind.pw"
  install -m 0644 "$LAB_CA_CERT" "$s/ca.pem"
  chown -R "$LAB_MAIL_MILTER_USER:" "$s"
  chmod 0700 "$s"
}

# Prints the milter's environment (one VAR=value a line) for a store root,
# catalog and directory URI.
lab_mail_milter_env() {
  printf '%s\n' "LDAPURI=$3" "LDAPBASE=$LAB_BASE" "LDAPTLS_CACERT=$LAB_MAIL_MILTER_STATE/ca.pem" \
    "LDAPTLS_REQCERT=demand" "LDAPBINDDN=$LAB_ADMIN_DN" "TAVIMOR_BIND_PASSWORD_FILE=$LAB_MAIL_MILTER_STATE/bind.pw" \
    "TAVIMOR_STORE_ROOT=$1" "TAVIMOR_COMPLUS_CATALOG=$2" "PATH=/usr/sbin:/usr/bin:/sbin:/bin" "HOME=/nonexistent"
}

lab_mail_start_milter() {
  lab_mail_milter_pid >/dev/null && return 0
  [ -x "$LAB_MILTER_BIN" ] || lab_die "$LAB_MILTER_BIN is not built (cmake --build build --target tavimor-milter)"
  lab_mail_port_taken "$LAB_MILTER_PORT" && lab_die "another process listens on 127.0.0.1:$LAB_MILTER_PORT"
  lab_mail_milter_state
  local -a env
  mapfile -t env < <(lab_mail_milter_env "$LAB_MAIL_MILTER_STATE/backofficestorage" \
    "$LAB_MAIL_MILTER_STATE/complus/catalog.db" "$LAB_URI")
  setsid env -i "${env[@]}" "$LAB_MILTER_BIN" -f -u "$LAB_MAIL_MILTER_USER" -p "inet:$LAB_MILTER_PORT@127.0.0.1" \
    </dev/null >>"$LAB_MAIL_LOG/milter.log" 2>&1 &
  echo $! >"$LAB_MAIL_MILTER_PIDFILE"
  local i
  for ((i = 0; i < 100; i++)); do
    lab_mail_port_taken "$LAB_MILTER_PORT" && return 0
    kill -0 "$(<"$LAB_MAIL_MILTER_PIDFILE")" 2>/dev/null || lab_die "the milter exited at start; see $LAB_MAIL_LOG/milter.log"
    sleep 0.1
  done
  lab_die "the milter does not listen on 127.0.0.1:$LAB_MILTER_PORT after 10 s; see $LAB_MAIL_LOG/milter.log"
}

lab_mail_start() {
  [ "$(id -u)" = 0 ] || lab_die "lab/lab mail needs root (Postfix's master runs as root)"
  command -v postfix >/dev/null || lab_die "Postfix is not installed (scripts/setup installs it)"
  lab_mail_ensure_user
  mkdir -p "$LAB_MAIL_SPOOL/mailboxes" "$LAB_MAIL_LOG"
  chmod 0755 "$LAB_MAIL_SPOOL" "$(dirname "$LAB_MAIL_SPOOL")"
  chown nobody: "$LAB_MAIL_SPOOL/mailboxes"
  chmod 0700 "$LAB_MAIL_SPOOL/mailboxes"
  # A milter's socket made here (mode 0660) takes the folder's group postfix,
  # whose smtpd may then connect; nobody else may.
  local sockets
  sockets=$(dirname "$LAB_MILTER_LOCAL_SOCKET")
  mkdir -p "$sockets"
  chown "$LAB_MAIL_MILTER_USER:postfix" "$sockets"
  chmod 2770 "$sockets"
  lab_mail_start_milter
  if ! lab_mail_postfix_pid >/dev/null; then
    local p
    for p in "$LAB_SMTP_PORT" "$LAB_SMTP_PLAIN_PORT" "$LAB_SMTP_TEST_PORT" "$LAB_SMTP_LOCAL_PORT"; do
      lab_mail_port_taken "$p" && lab_die "another process listens on 127.0.0.1:$p"
    done
    lab_mail_write_config
    postfix -c "$LAB_MAIL_ETC" start >>"$LAB_MAIL_LOG/start.log" 2>&1 ||
      lab_die "Postfix did not start; see $LAB_MAIL_LOG/start.log and $LAB_MAIL_LOG/postfix.log"
    local i
    for ((i = 0; i < 100; i++)); do
      lab_mail_port_taken "$LAB_SMTP_PORT" && break
      sleep 0.1
    done
  else
    # Running with the configuration of an older checkout: brought up to date.
    local fresh
    fresh=$(mktemp -d)
    lab_mail_write_config "$fresh"
    if ! cmp -s "$fresh/main.cf" "$LAB_MAIL_ETC/main.cf" || ! cmp -s "$fresh/master.cf" "$LAB_MAIL_ETC/master.cf"; then
      cp "$fresh/main.cf" "$fresh/master.cf" "$LAB_MAIL_ETC/"
      postfix -c "$LAB_MAIL_ETC" reload >>"$LAB_MAIL_LOG/start.log" 2>&1 || lab_die "Postfix did not take the new configuration"
      sleep 1
    fi
    rm -rf "$fresh"
  fi
  lab_say "mail: SMTP on 127.0.0.1:$LAB_SMTP_PORT (milter), :$LAB_SMTP_PLAIN_PORT (none)," \
    ":$LAB_SMTP_TEST_PORT (the milter on :$LAB_MILTER_TEST_PORT), :$LAB_SMTP_LOCAL_PORT (the milter on" \
    "$LAB_MILTER_LOCAL_SOCKET); Postfix pid $(lab_mail_postfix_pid)," \
    "milter pid $(lab_mail_milter_pid)"
}

lab_mail_stop() {
  local pid
  if pid=$(lab_mail_postfix_pid); then lab_stop_pid "$pid"; fi
  if pid=$(lab_mail_milter_pid); then lab_stop_pid "$pid"; fi
  rm -f "$LAB_MAIL_MILTER_PIDFILE"
  lab_say "mail stopped"
}

lab_mail_status() {
  local pf ml status=0
  pf=$(lab_mail_postfix_pid) || { pf="not running"; status=1; }
  ml=$(lab_mail_milter_pid) || { ml="not running"; status=1; }
  echo "Postfix: $pf (configuration $LAB_MAIL_ETC, SMTP 127.0.0.1:$LAB_SMTP_PORT/$LAB_SMTP_PLAIN_PORT/$LAB_SMTP_TEST_PORT/$LAB_SMTP_LOCAL_PORT)"
  echo "milter:  $ml (inet:$LAB_MILTER_PORT@127.0.0.1 as $LAB_MAIL_MILTER_USER, store $LAB_MAIL_MILTER_STATE/backofficestorage)"
  echo "mailboxes: $LAB_MAIL_SPOOL/mailboxes; logs: $LAB_MAIL_LOG"
  return $status
}
