# shellcheck shell=bash disable=SC2034
# The lab's own certificate authority and the DC's server certificate.

lab_make_tls() {
  local dir=$LAB_TLS
  [ -s "$dir/dc.pem" ] && [ -s "$dir/dc.key" ] && [ -s "$dir/ca.pem" ] && return 0
  mkdir -p "$dir"
  (
    umask 077
    cd "$dir" || exit 1
    openssl req -x509 -newkey rsa:3072 -nodes -days 3650 -sha256 \
      -keyout ca.key -out ca.pem -subj "/O=Tavimor Lab/CN=Tavimor Lab CA ($LAB_REALM)" \
      -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign \
      2>/dev/null
    openssl req -newkey rsa:3072 -nodes -sha256 -keyout dc.key -out dc.csr \
      -subj "/O=Tavimor Lab/CN=$LAB_DC_HOST" 2>/dev/null
    cat >dc.ext <<EOF
basicConstraints = CA:FALSE
keyUsage = critical, digitalSignature, keyEncipherment
extendedKeyUsage = serverAuth
subjectAltName = DNS:$LAB_DC_HOST, DNS:$LAB_DNS, IP:$LAB_IP
EOF
    openssl x509 -req -in dc.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 3650 \
      -sha256 -extfile dc.ext -out dc.pem 2>/dev/null
    rm -f dc.csr dc.ext ca.srl
    chmod 600 ca.key dc.key
    chmod 644 ca.pem dc.pem
  )
  openssl verify -CAfile "$dir/ca.pem" "$dir/dc.pem" >/dev/null || lab_die "certificate check failed"
}
