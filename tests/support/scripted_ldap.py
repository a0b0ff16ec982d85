#!/usr/bin/env python3
"""A scripted LDAP directory server for tests: it answers from entries the test gives.

    python3 scripted_ldap.py DIRECTORY --tls-dir DIR [--host 127.0.0.1] [--port 0] [--log FILE]

DIRECTORY is a JSON file, or the JSON document itself (described below).

It listens on a loopback address (the port it picks unless --port names one), makes
a CA and a server certificate in DIR (kept when already there) and prints, one a line:

    CA <DIR>/ca.pem
    LISTENING <port>

It serves until its standard input closes (or it is killed). What it knows:
  - StartTLS (then TLS with a certificate for "localhost", 127.0.0.1 to 127.0.0.15, the
    host address and any name of "tlsNames", so that servers sharing DIR share the CA);
    ldaps is not offered;
  - simple bind, accepted only over TLS and only for the "binds" given ({dn: password};
    none given: any DN with a non-empty password); a SASL bind is refused; anonymous
    binds read the RootDSE only, unless "anonymous" is true;
  - search: base, one level and subtree (base "": every entry, as a global catalog),
    filters of every RFC 4511 kind (equality and approx. without letter case,
    objectCategory also by the class's short name, presence, substrings, >= and <=,
    and/or/not, the bit-and/bit-or matching rules),
    the size limit, the attribute list ("*", "1.1", names without letter case), and the
    paged-results control with pages of at most "maxPageSize" (1000);
  - a faulty server: with "pagingWraps" true, the last page's cookie leads to the first
    page again, for ever; the entries listed in "rangesFromZero" answer every slice
    from value 0, whatever was asked;
  - AD ranged retrieval: an attribute with more than "maxValRange" (1500) values is
    sent as "name;range=0-1499"; "name;range=L-H" or "name;range=L-*" asks for a slice,
    answered as "name;range=L-E" with E the last index sent, or "*" for the last slice;
  - modify (add, delete, replace), the "Who am I?" operation, abandon, unbind;
  - "references": continuation references [{"base": dn, "uris": [...]}], sent by a
    subtree search whose base is at or above "base".
The JSON document:
    {"rootDSE": {"dnsHostName": "dc1.example.test", "defaultNamingContext": "DC=example,DC=test",
                 "namingContexts": ["DC=example,DC=test"], ...},
     "entries": [{"dn": "CN=G,DC=example,DC=test",
                  "attributes": {"objectClass": ["top", "group"], "member": ["CN=a,...", ...]}}],
     "generate": [{"dn": "CN=u{i},CN=Users,DC=example,DC=test", "count": 3100,
                   "attributes": {"objectClass": ["top", "user"], "mail": "u{i}@example.test"}}],
     "binds": {"CN=admin,CN=Users,DC=example,DC=test": "secret"},
     "maxValRange": 1500, "maxPageSize": 1000}
"generate" makes "count" entries, "{i}" in the DN and in values numbered from 0; a value
"@generated:N" in an entry's attribute stands for the DNs of generate block N.
--log appends one JSON line per request (op, base, scope, filter in text form, attributes,
controls, the DN bound), for the test to check what the program asked.
"""
import argparse
import json
import os
import re
import socket
import ssl
import subprocess
import sys
import threading

# ---------------------------------------------------------------- BER


def ber_len(n):
    if n < 0x80:
        return bytes([n])
    b = n.to_bytes((n.bit_length() + 7) // 8, "big")
    return bytes([0x80 | len(b)]) + b


def tlv(tag, content):
    return bytes([tag]) + ber_len(len(content)) + content


def ber_int(tag, n):
    length = max(1, (n.bit_length() + 8) // 8)
    return tlv(tag, n.to_bytes(length, "big", signed=True))


def octets(s, tag=0x04):
    return tlv(tag, s.encode() if isinstance(s, str) else s)


def seq(*parts, tag=0x30):
    return tlv(tag, b"".join(parts))


def read_tlv(data, pos):
    """(tag, content, next position) of the element at pos; None when incomplete."""
    if pos + 2 > len(data):
        return None
    tag, first = data[pos], data[pos + 1]
    pos += 2
    if first & 0x80:
        n = first & 0x7F
        if pos + n > len(data):
            return None
        length = int.from_bytes(data[pos:pos + n], "big")
        pos += n
    else:
        length = first
    if pos + length > len(data):
        return None
    return tag, data[pos:pos + length], pos + length


def children(content):
    out, pos = [], 0
    while pos < len(content):
        tag, value, pos = read_tlv(content, pos)
        out.append((tag, value))
    return out


def as_int(content):
    return int.from_bytes(content, "big", signed=True) if content else 0


# ---------------------------------------------------------------- directory data

RESULT = {"success": 0, "operationsError": 1, "protocolError": 2, "sizeLimitExceeded": 4,
          "authMethodNotSupported": 7, "strongAuthRequired": 8, "noSuchAttribute": 16,
          "noSuchObject": 32, "invalidCredentials": 49, "insufficientAccessRights": 50,
          "unwillingToPerform": 53}
STARTTLS = "1.3.6.1.4.1.1466.20037"
WHOAMI = "1.3.6.1.4.1.4203.1.11.3"
PAGED = "1.2.840.113556.1.4.319"


def norm_dn(dn):
    return ",".join(part.strip() for part in dn.split(",")).lower() if dn else ""


def values_list(v):
    return [str(x) for x in v] if isinstance(v, list) else [str(v)]


class Directory:
    def __init__(self, spec):
        self.lock = threading.Lock()
        self.root_dse = {k: values_list(v) for k, v in spec.get("rootDSE", {}).items()}
        self.max_range = int(spec.get("maxValRange", 1500))
        self.max_page = int(spec.get("maxPageSize", 1000))
        self.binds = {norm_dn(k): v for k, v in spec.get("binds", {}).items()}
        self.anonymous = bool(spec.get("anonymous", False))
        self.paging_wraps = bool(spec.get("pagingWraps", False))
        self.broken_ranges = {norm_dn(dn) for dn in spec.get("rangesFromZero", [])}
        self.references = spec.get("references", [])
        self.entries = []  # (dn, {attribute name: [values]}) in the order given
        generated = []
        for block in spec.get("generate", []):
            dns = []
            for i in range(int(block["count"])):
                dn = block["dn"].replace("{i}", str(i))
                attrs = {k: [x.replace("{i}", str(i)) for x in values_list(v)]
                         for k, v in block.get("attributes", {}).items()}
                self.entries.append((dn, attrs))
                dns.append(dn)
            generated.append(dns)
        for e in spec.get("entries", []):
            attrs = {}
            for k, v in e.get("attributes", {}).items():
                vals = []
                for x in values_list(v):
                    m = re.fullmatch(r"@generated:(\d+)", x)
                    vals.extend(generated[int(m.group(1))] if m else [x])
                attrs[k] = vals
            self.entries.append((e["dn"], attrs))

    def find(self, dn):
        key = norm_dn(dn)
        for e in self.entries:
            if norm_dn(e[0]) == key:
                return e
        return None

    def in_scope(self, dn, base, scope):
        d, b = norm_dn(dn), norm_dn(base)
        if scope == 0:
            return d == b
        if b and not d.endswith("," + b):
            return scope == 2 and d == b
        depth = d[:len(d) - len(b)].rstrip(",").count(",") + 1 if b else d.count(",") + 1
        return depth == 1 if scope == 1 else True


def attr_values(attrs, name):
    for k, v in attrs.items():
        if k.lower() == name.lower():
            return v
    return None


def filter_text(f):
    tag, c = f
    if tag in (0xA0, 0xA1):
        return "(" + ("&" if tag == 0xA0 else "|") + "".join(filter_text(x) for x in children(c)) + ")"
    if tag == 0xA2:
        return "(!" + filter_text(children(c)[0]) + ")"
    if tag == 0x87:
        return "(" + c.decode() + "=*)"
    if tag in (0xA3, 0xA5, 0xA6, 0xA8):
        (_, a), (_, v) = children(c)
        op = {0xA3: "=", 0xA5: ">=", 0xA6: "<=", 0xA8: "~="}[tag]
        return "(" + a.decode() + op + v.decode(errors="replace") + ")"
    if tag == 0xA4:
        (_, a), (_, subs) = children(c)
        parts, text = children(subs), ""
        text = (parts[0][1].decode() if parts and parts[0][0] == 0x80 else "") + "*"
        text += "".join(v.decode() + "*" for t, v in parts if t == 0x81)
        text += parts[-1][1].decode() if parts and parts[-1][0] == 0x82 else ""
        return "(" + a.decode() + "=" + text + ")"
    if tag == 0xA9:
        d = {t: v.decode() for t, v in children(c)}
        return "(" + d.get(0x82, "") + ":" + d.get(0x81, "") + ":=" + d.get(0x83, "") + ")"
    return "(?)"


def same_value(name, stored, wanted):
    s, w = stored.lower(), wanted.lower()
    if s == w:
        return True
    # objectCategory=person means the class whose DN is CN=Person,CN=Schema,...
    return name.lower() == "objectcategory" and s.startswith("cn=" + w + ",")


def matches(f, dn, attrs):
    tag, c = f
    if tag == 0xA0:
        return all(matches(x, dn, attrs) for x in children(c))
    if tag == 0xA1:
        return any(matches(x, dn, attrs) for x in children(c))
    if tag == 0xA2:
        return not matches(children(c)[0], dn, attrs)
    if tag == 0x87:
        name = c.decode()
        return name.lower() in ("objectclass", "distinguishedname") or bool(attr_values(attrs, name))
    if tag in (0xA3, 0xA8, 0xA5, 0xA6):
        (_, a), (_, v) = children(c)
        name, wanted = a.decode(), v.decode(errors="replace")
        vals = [dn] if name.lower() == "distinguishedname" else (attr_values(attrs, name) or [])
        if tag in (0xA3, 0xA8):
            return any(same_value(name, x, wanted) for x in vals)
        def cmp(x):
            if re.fullmatch(r"-?\d+", x) and re.fullmatch(r"-?\d+", wanted):
                return (int(x) > int(wanted)) - (int(x) < int(wanted))
            return (x.lower() > wanted.lower()) - (x.lower() < wanted.lower())
        return any(cmp(x) >= 0 if tag == 0xA5 else cmp(x) <= 0 for x in vals)
    if tag == 0xA4:
        (_, a), (_, subs) = children(c)
        pattern = ""
        for t, v in children(subs):
            text = re.escape(v.decode().lower())
            pattern += ("^" + text) if t == 0x80 else (".*" + text + ".*" if t == 0x81 else text + "$")
        pattern = pattern.replace(".*.*", ".*")
        if not pattern.startswith("^"):
            pattern = ".*" + pattern
        vals = [dn] if a.decode().lower() == "distinguishedname" else (attr_values(attrs, a.decode()) or [])
        return any(re.search(pattern, x.lower(), re.S) for x in vals)
    if tag == 0xA9:
        d = {t: v.decode() for t, v in children(c)}
        rule, name, wanted = d.get(0x81, ""), d.get(0x82, ""), d.get(0x83, "")
        vals = attr_values(attrs, name) or []
        if rule == "1.2.840.113556.1.4.803":
            return any(int(x) & int(wanted) == int(wanted) for x in vals)
        if rule == "1.2.840.113556.1.4.804":
            return any(int(x) & int(wanted) != 0 for x in vals)
        return any(same_value(name, x, wanted) for x in vals)
    return False


RANGE = re.compile(r"^([^;]+);range=(\d+)-(\d+|\*)$", re.I)


def selected(attrs, requested, max_range, broken=False):
    """(type, values) pairs of an entry for the requested attribute list."""
    names = [r for r in requested]
    everything = not names or "*" in names
    out, given = [], set()
    for r in names:
        m = RANGE.match(r)
        if not m:
            continue
        vals = attr_values(attrs, m.group(1))
        if vals is None:
            continue
        low = 0 if broken else int(m.group(2))
        high = len(vals) - 1 if m.group(3) == "*" else int(m.group(3))
        high = min(high, low + max_range - 1, len(vals) - 1)
        if low >= len(vals):
            continue
        end = "*" if high == len(vals) - 1 else str(high)
        out.append((m.group(1) + ";range=" + str(low) + "-" + end, vals[low:high + 1]))
        given.add(m.group(1).lower())
    wanted = {r.lower() for r in names if not RANGE.match(r)}
    for k, v in attrs.items():
        if k.lower() in given or not (everything or k.lower() in wanted) or not v:
            continue
        if len(v) > max_range:
            out.append((k + ";range=0-" + str(max_range - 1), v[:max_range]))
        else:
            out.append((k, v))
    return out


# ---------------------------------------------------------------- connections


class Connection:
    def __init__(self, server, sock):
        self.server, self.sock, self.buf = server, sock, b""
        self.tls, self.bound = False, None

    def log(self, record):
        if self.server.log_path:
            record["bound"] = self.bound
            with self.server.log_lock, open(self.server.log_path, "a") as f:
                f.write(json.dumps(record) + "\n")

    def send(self, msgid, op, controls=b""):
        self.sock.sendall(seq(ber_int(0x02, msgid), op, controls))

    def result(self, msgid, tag, code, diag="", extra=b"", controls=b""):
        body = ber_int(0x0A, RESULT[code]) + octets("") + octets(diag) + extra
        self.send(msgid, tlv(tag, body), controls)

    def serve(self):
        try:
            while True:
                got = read_tlv(self.buf, 0)
                if got is None:
                    data = self.sock.recv(65536)
                    if not data:
                        return
                    self.buf += data
                    continue
                self.buf = self.buf[got[2]:]
                if not self.handle(children(got[1])):
                    return
        except (OSError, ssl.SSLError, ValueError, IndexError, KeyError):
            return
        finally:
            try:
                self.sock.close()
            except OSError:
                pass

    def handle(self, parts):
        msgid = as_int(parts[0][1])
        tag, body = parts[1]
        controls = {}
        for t, c in parts[2:]:
            if t == 0xA0:
                for _, ctl in children(c):
                    items = children(ctl)
                    oid = items[0][1].decode()
                    value = next((v for tt, v in items[1:] if tt == 0x04), b"")
                    controls[oid] = value
        if tag == 0x42:  # unbind
            return False
        if tag == 0x50:  # abandon
            return True
        if tag == 0x60:
            self.bind(msgid, children(body))
        elif tag == 0x77:
            return self.extended(msgid, children(body))
        elif tag == 0x63:
            self.search(msgid, children(body), controls)
        elif tag == 0x66:
            self.modify(msgid, children(body))
        else:
            self.log({"op": "unsupported", "tag": tag})
            self.result(msgid, {0x68: 0x69, 0x4A: 0x6B, 0x6C: 0x6D, 0x6E: 0x6F}.get(tag, 0x78),
                        "unwillingToPerform", "not scripted")
        return True

    def bind(self, msgid, items):
        name = items[1][1].decode()
        auth_tag, auth = items[2]
        self.bound = None
        if auth_tag != 0x80:
            self.log({"op": "bind", "dn": name, "sasl": True})
            return self.result(msgid, 0x61, "authMethodNotSupported", "SASL is not scripted")
        self.log({"op": "bind", "dn": name, "tls": self.tls})
        if not name and not auth:
            return self.result(msgid, 0x61, "success")
        if not self.tls:
            return self.result(msgid, 0x61, "strongAuthRequired", "simple bind needs TLS")
        binds = self.server.directory.binds
        ok = (binds.get(norm_dn(name)) == auth.decode()) if binds else bool(auth)
        if not ok:
            return self.result(msgid, 0x61, "invalidCredentials", "80090308: LdapErr: DSID-0C09044E, data 52e")
        self.bound = name
        self.result(msgid, 0x61, "success")

    def extended(self, msgid, items):
        oid = items[0][1].decode()
        self.log({"op": "extended", "oid": oid})
        if oid == STARTTLS and not self.tls:
            self.result(msgid, 0x78, "success", extra=octets(STARTTLS, 0x8A))
            self.sock = self.server.tls.wrap_socket(self.sock, server_side=True)
            self.tls = True
            return True
        if oid == WHOAMI:
            who = ("dn:" + self.bound) if self.bound else ""
            self.result(msgid, 0x78, "success", extra=octets(who, 0x8B))
            return True
        self.result(msgid, 0x78, "protocolError", "unknown extended operation")
        return True

    def search(self, msgid, items, controls):
        d = self.server.directory
        base, scope = items[0][1].decode(), as_int(items[1][1])
        size_limit = as_int(items[3][1])
        flt = items[6]
        requested = [v.decode() for _, v in children(items[7][1])]
        self.log({"op": "search", "base": base, "scope": scope, "filter": filter_text(flt),
                  "attributes": requested, "controls": sorted(controls), "sizeLimit": size_limit})
        if not base and scope == 0:
            attrs = dict(d.root_dse)
            entry = [(k, v) for k, v in selected(attrs, requested, d.max_range)]
            self.send(msgid, self.entry_op("", entry))
            return self.result(msgid, 0x65, "success")
        if self.bound is None and not d.anonymous:
            return self.result(msgid, 0x65, "operationsError",
                               "000004DC: LdapErr: DSID-0C090A5C, comment: In order to perform this operation "
                               "a successful bind must be completed on the connection., data 0, v4563")
        with d.lock:
            if base and d.find(base) is None and not any(norm_dn(base) == norm_dn(nc)
                                                for nc in d.root_dse.get("namingContexts", [])):
                return self.result(msgid, 0x65, "noSuchObject", "0000208D: NameErr: DSID-03100241")
            hits = [(dn, a) for dn, a in d.entries if d.in_scope(dn, base, scope) and matches(flt, dn, a)]
            found = [(dn, selected(a, requested, d.max_range, norm_dn(dn) in d.broken_ranges)) for dn, a in hits]
        offset, page_controls, end = 0, b"", len(found)
        if PAGED in controls:
            size, cookie = [x[1] for x in children(children(controls[PAGED])[0][1])] \
                if controls[PAGED][:1] == b"\x30" else (b"", b"")
            size = min(as_int(size) or d.max_page, d.max_page)
            offset = int(cookie.decode()) if cookie else 0
            end = min(offset + size, len(found))
        code = "success"
        if size_limit and end - offset > size_limit:
            end, code = offset + size_limit, "sizeLimitExceeded"
        for dn, entry in found[offset:end]:
            self.send(msgid, self.entry_op(dn, entry))
        if scope == 2:
            for ref in d.references:
                if d.in_scope(ref["base"], base, 2) and norm_dn(ref["base"]) != norm_dn(base):
                    self.send(msgid, seq(*[octets(u) for u in ref["uris"]], tag=0x73))
        if PAGED in controls:
            more = end < len(found) or d.paging_wraps
            next_cookie = str(end % len(found) if found else 0).encode() if more and code == "success" else b""
            value = seq(ber_int(0x02, len(found)), octets(next_cookie))
            page_controls = seq(seq(octets(PAGED), octets(value)), tag=0xA0)
        self.result(msgid, 0x65, code, controls=page_controls)

    @staticmethod
    def entry_op(dn, entry):
        attrs = [seq(octets(k), seq(*[octets(v) for v in vals], tag=0x31)) for k, vals in entry]
        return seq(octets(dn), seq(*attrs), tag=0x64)

    def modify(self, msgid, items):
        d = self.server.directory
        dn = items[0][1].decode()
        changes = []
        for _, change in children(items[1][1]):
            op_c, mod_c = children(change)
            name_c, vals_c = children(mod_c[1])
            changes.append((as_int(op_c[1]), name_c[1].decode(), [v.decode() for _, v in children(vals_c[1])]))
        self.log({"op": "modify", "dn": dn, "changes": changes})
        if self.bound is None:
            return self.result(msgid, 0x67, "insufficientAccessRights", "not signed in")
        with d.lock:
            entry = d.find(dn)
            if entry is None:
                return self.result(msgid, 0x67, "noSuchObject", "0000208D: NameErr")
            attrs = entry[1]
            for op, name, vals in changes:
                key = next((k for k in attrs if k.lower() == name.lower()), name)
                now = attrs.get(key, [])
                if op == 0:
                    attrs[key] = now + vals
                elif op == 1:
                    if not now:
                        return self.result(msgid, 0x67, "noSuchAttribute", "00002085: AtrErr")
                    lowered = {v.lower() for v in vals}
                    attrs[key] = [v for v in now if v.lower() not in lowered] if vals else []
                else:
                    attrs[key] = vals
        self.result(msgid, 0x67, "success")


class Server:
    def __init__(self, directory, tls, log_path):
        self.directory, self.tls, self.log_path = directory, tls, log_path
        self.log_lock = threading.Lock()

    def run(self, listener):
        while True:
            sock, _ = listener.accept()
            threading.Thread(target=Connection(self, sock).serve, daemon=True).start()


SHARED = ["127.0.0.%d" % i for i in range(1, 16)]


def make_certificates(folder, host, names):
    """A CA and a server certificate signed by it, in folder (kept when there)."""
    os.makedirs(folder, mode=0o700, exist_ok=True)
    ca, ca_key = os.path.join(folder, "ca.pem"), os.path.join(folder, "ca.key")
    cert, key = os.path.join(folder, "server.pem"), os.path.join(folder, "server.key")
    if all(os.path.exists(p) for p in (ca, ca_key, cert, key)):
        return ca, cert, key
    ec = ["-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"]
    run = lambda *a: subprocess.run(["openssl", *a], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    run("req", "-x509", *ec, "-keyout", ca_key, "-out", ca, "-days", "2", "-subj", "/CN=Scripted directory test CA",
        "-addext", "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=critical,keyCertSign,cRLSign")
    csr, ext = os.path.join(folder, "server.csr"), os.path.join(folder, "server.ext")
    run("req", "-new", *ec, "-keyout", key, "-out", csr, "-subj", "/CN=" + (names[0] if names else "localhost"))
    # Several servers of one test share the CA: the certificate holds the first few loopback addresses.
    addresses = SHARED + ([host] if host not in SHARED else [])
    sans = ["DNS:localhost"] + ["IP:" + a for a in addresses]
    sans += [("IP:" if re.fullmatch(r"[\d.]+", n) else "DNS:") + n for n in names]
    with open(ext, "w") as f:
        f.write("basicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\nsubjectAltName=" + ",".join(sans) + "\n")
    run("x509", "-req", "-in", csr, "-CA", ca, "-CAkey", ca_key, "-CAcreateserial", "-out", cert, "-days", "2",
        "-extfile", ext)
    return ca, cert, key


def main():
    p = argparse.ArgumentParser(description="Scripted LDAP directory server for tests.")
    p.add_argument("directory")
    p.add_argument("--tls-dir", required=True)
    p.add_argument("--host", default="127.0.0.1")
    p.add_argument("--port", type=int, default=0)
    p.add_argument("--log")
    args = p.parse_args()
    if not args.host.startswith("127."):
        sys.exit("scripted_ldap: listens on loopback (127.0.0.0/8) only")
    if args.directory.lstrip().startswith("{"):
        spec = json.loads(args.directory)
    else:
        with open(args.directory) as f:
            spec = json.load(f)
    ca, cert, key = make_certificates(args.tls_dir, args.host, spec.get("tlsNames", []))
    tls = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    tls.load_cert_chain(cert, key)
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind((args.host, args.port))
    listener.listen(64)
    server = Server(Directory(spec), tls, args.log)
    threading.Thread(target=server.run, args=(listener,), daemon=True).start()
    print("CA " + os.path.abspath(ca))
    print("LISTENING %d" % listener.getsockname()[1], flush=True)
    while sys.stdin.buffer.read(4096):
        pass


if __name__ == "__main__":
    main()
