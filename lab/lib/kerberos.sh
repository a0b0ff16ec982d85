# shellcheck shell=bash
# Kerberos of the instance: the DC's service principal names (ldap/, GC/,
# HOST/ and the rest a DC registers for itself), a krb5.conf for its realm, and
# tickets for the administrator. Sourced by lab/lab after lib/instance.sh.

lab_krb5_conf() {
  printf '%s' "$LAB_STATE/krb5.conf"
}

# A client configuration that finds the realm's KDC on the instance's address
# and never asks reverse DNS for a host's name.
lab_write_krb5_conf() {
  local conf tmp
  conf=$(lab_krb5_conf)
  tmp=$(mktemp "$conf.XXXXXX")
  cat >"$tmp" <<EOF
[libdefaults]
	default_realm = $LAB_REALM
	dns_lookup_realm = false
	dns_lookup_kdc = false
	dns_canonicalize_hostname = false
	rdns = false
	ticket_lifetime = 10h
	renew_lifetime = 7d

[realms]
	$LAB_REALM = {
		kdc = $LAB_IP:88
		admin_server = $LAB_IP:749
		default_domain = $LAB_DNS
	}

[domain_realm]
	.$LAB_DNS = $LAB_REALM
	$LAB_DNS = $LAB_REALM
EOF
  # Readable by everyone: it holds no secret, and the Kerberos libraries of
  # any user may be pointed at it.
  chmod 644 "$tmp"
  if cmp -s "$tmp" "$conf"; then
    rm -f "$tmp"
  else
    mv -f "$tmp" "$conf"
  fi
}

# A real DC registers its service principal names through samba_spnupdate,
# which the lab's server services leave out. The list it works from is the one
# samba provisioned; the marker keeps later starts fast, and goes with the
# state on a reset.
lab_register_spns() {
  local marker=$LAB_STATE/spns-registered
  [ -r "$marker" ] && return 0
  local tool
  tool=$(command -v samba_spnupdate || echo /usr/sbin/samba_spnupdate)
  [ -x "$tool" ] || lab_die "samba_spnupdate is missing (package samba)"
  "$tool" --verbose -s "$LAB_SMBCONF" >"$LAB_LOG/spnupdate.log" 2>&1 ||
    lab_die "registering the DC's service principal names failed; see $LAB_LOG/spnupdate.log"
  grep -q "ldap/$LAB_DC_HOST" < <(lab_ldap ldapsearch -LLL -o ldif-wrap=no -b "$LAB_BASE" \
    "(sAMAccountName=${LAB_DC_SHORT^^}\$)" servicePrincipalName 2>/dev/null) ||
    lab_die "the DC has no ldap/$LAB_DC_HOST principal after samba_spnupdate; see $LAB_LOG/spnupdate.log"
  date -u +%FT%TZ >"$marker"
}

# A ticket for the administrator in the caller's credential cache (KRB5CCNAME,
# else the user's default). The password goes to kinit on its standard input,
# straight from the 0600 file.
lab_kinit() {
  lab_running || lab_die "$LAB_REALM is not running; run: lab/lab start"
  command -v kinit >/dev/null || lab_die "kinit is missing (package krb5-user)"
  lab_write_krb5_conf
  local principal=Administrator@$LAB_REALM out
  if ! out=$(KRB5_CONFIG=$(lab_krb5_conf) timeout 30 kinit "$principal" <"$LAB_ADMIN_PW" 2>&1); then
    lab_die "kinit $principal failed: $(printf '%s' "$out" | tail -n 1)"
  fi
  lab_say "ticket for $principal in ${KRB5CCNAME:-the default credential cache}"
}
