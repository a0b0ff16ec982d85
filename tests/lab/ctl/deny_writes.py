#!/usr/bin/python3
# Denies (or allows again) every property write on one directory object, to
# everybody, the administrator included: `deny_writes.py DN deny|allow`.
# The lab's tests use it to make a write fail; `allow` takes the one ACE out
# again, leaving the object's security descriptor as it was.
import os
import sys

import ldb
from samba.credentials import DONT_USE_KERBEROS, Credentials
from samba.dcerpc import security
from samba.ndr import ndr_pack, ndr_unpack
from samba.param import LoadParm
from samba.samdb import SamDB

ACE = "(OD;;WP;;;WD)"
DACL_ONLY = ["sd_flags:1:%d" % security.SECINFO_DACL]


def main(dn, action):
    lp = LoadParm()
    creds = Credentials()
    creds.guess(lp)
    creds.set_username("Administrator")
    creds.set_domain(os.environ["LAB_NETBIOS_DOMAIN"])
    with open(os.environ["TAVIMOR_BIND_PASSWORD_FILE"]) as f:
        creds.set_password(f.read().rstrip("\n"))
    creds.set_kerberos_state(DONT_USE_KERBEROS)
    samdb = SamDB(url="ldap://" + os.environ["LAB_DC_HOST"], credentials=creds, lp=lp)
    sid = samdb.get_domain_sid()
    res = samdb.search(base=dn, scope=ldb.SCOPE_BASE, attrs=["nTSecurityDescriptor"], controls=DACL_ONLY)
    sddl = ndr_unpack(security.descriptor, res[0]["nTSecurityDescriptor"][0]).as_sddl(security.dom_sid(sid))
    if action == "deny" and ACE not in sddl:
        sddl = sddl[:sddl.index("(")] + ACE + sddl[sddl.index("("):]
    elif action == "allow":
        sddl = sddl.replace(ACE, "")
    m = ldb.Message()
    m.dn = ldb.Dn(samdb, dn)
    desc = security.descriptor.from_sddl(sddl, security.dom_sid(sid))
    m["nTSecurityDescriptor"] = ldb.MessageElement(ndr_pack(desc), ldb.FLAG_MOD_REPLACE, "nTSecurityDescriptor")
    samdb.modify(m, controls=DACL_ONLY)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
