# shellcheck shell=bash disable=SC2034
# Which lab instance a command works on, and where everything of it lives.
# Sourced by lab/lab and lab/selftest.

# The Exchange server of the lab is named after this computer (upper case), as
# the program addresses "its" Exchange server by this computer's short name.
lab_host_name() {
  local n
  n=$(uname -n)
  n=${n%%.*}
  printf '%s' "${n^^}"
}

# lab_select_instance normal|large
lab_select_instance() {
  local base=${XDG_STATE_HOME:-$HOME/.local/state}/tavimor-lab
  LAB_INSTANCE=$1
  case $1 in
    normal)
      LAB_REALM=TAVIMOR.LAB
      LAB_NETBIOS=TAVIMOR
      LAB_IP=127.0.0.1
      LAB_INTERFACES=127.0.0.1
      LAB_STATE=${TAVIMOR_LAB_STATE:-$base}
      LAB_SEED_ARGS=(--spread-users 300)
      ;;
    large)
      LAB_REALM=BIG.TAVIMOR.LAB
      LAB_NETBIOS=BIGTAVIMOR
      LAB_IP=127.0.0.2
      # No interface carries 127.0.0.2 itself; with a netmask samba takes the
      # address as given and binds it on the loopback device.
      LAB_INTERFACES=127.0.0.2/8
      LAB_STATE=${TAVIMOR_LAB_LARGE_STATE:-${TAVIMOR_LAB_STATE:-$base}-large}
      LAB_SEED_ARGS=(--fill-mailbox-store 30000)
      ;;
    *) lab_die "unknown instance $1" ;;
  esac
  case $LAB_STATE in
    *[[:space:]]*) lab_die "the state directory must not contain blanks: $LAB_STATE" ;;
  esac
  LAB_DNS=${LAB_REALM,,}
  LAB_DC_SHORT=dc1
  LAB_DC_HOST=$LAB_DC_SHORT.$LAB_DNS
  LAB_BASE=DC=${LAB_DNS//./,DC=}
  LAB_URI=ldap://$LAB_DC_HOST
  LAB_GC_URI=ldap://$LAB_DC_HOST:3268
  LAB_EXCHANGE_SERVER=$(lab_host_name)

  LAB_DC_DIR=$LAB_STATE/dc
  LAB_SMBCONF=$LAB_DC_DIR/etc/smb.conf
  LAB_TLS=$LAB_STATE/tls
  LAB_CA_CERT=$LAB_TLS/ca.pem
  LAB_SECRETS=$LAB_STATE/secrets
  LAB_ADMIN_PW=$LAB_SECRETS/administrator.pw
  LAB_LIMITED_PW=$LAB_SECRETS/limited.pw
  LAB_LOG=$LAB_STATE/log
  LAB_RUN=$LAB_STATE/run
  LAB_PIDFILE=$LAB_STATE/samba.pid
  LAB_MARKER=$LAB_STATE/provisioned
  LAB_STORE_ROOT=$LAB_STATE/backofficestorage
  LAB_COMPLUS=$LAB_STATE/complus
  LAB_ADMIN_DN=CN=Administrator,CN=Users,$LAB_BASE
  LAB_LIMITED_DN=CN=tavimor-limited,OU=Staff,$LAB_BASE
}

lab_die() {
  echo "lab: $*" >&2
  exit 2
}

lab_say() {
  echo "lab: $*" >&2
}

# Runs an LDAP client tool against the instance with verified StartTLS, bound
# as the administrator (the password is read from its 0600 file).
lab_ldap() {
  local tool=$1
  shift
  LDAPTLS_CACERT=$LAB_CA_CERT LDAPTLS_REQCERT=demand LDAPURI=$LAB_URI LDAPBASE=$LAB_BASE \
    "$tool" -ZZ -x -D "$LAB_ADMIN_DN" -y "$LAB_ADMIN_PW" "$@"
}
