#!/usr/bin/python3
"""Seeds a freshly provisioned (and stopped) lab DC directly in its sam.ldb.

Writing the database offline in one transaction is far faster than adding the
same objects over LDAP, which matters for the 30,000-user instance.

    seed.py --smbconf ETC/smb.conf --host NAME --limited-password-file FILE
            (--spread-users N | --fill-mailbox-store N)
"""

import argparse
import os
import secrets
import string
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import ldb  # noqa: E402
from samba.auth import system_session  # noqa: E402
from samba.param import LoadParm  # noqa: E402
from samba.samdb import SamDB  # noqa: E402

import exchange  # noqa: E402
import recipients as rcp  # noqa: E402
import schema  # noqa: E402
from entries import add, replace  # noqa: E402
from layout import Lab  # noqa: E402

LIMITED_ACCOUNT = "tavimor-limited"


def open_samdb(smbconf):
    lp = LoadParm()
    lp.load(smbconf)
    return SamDB(url=lp.samdb_url(), session_info=system_session(), lp=lp)


def in_transaction(samdb, work):
    samdb.transaction_start()
    try:
        result = work()
    except BaseException:
        samdb.transaction_cancel()
        raise
    samdb.transaction_commit()
    return result


def new_password():
    alphabet = string.ascii_letters + string.digits
    body = "".join(secrets.choice(alphabet) for _ in range(24))
    return body + "-Tv7"  # guarantees every character class the policy asks for


def write_private(path, text):
    fd = os.open(path, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o600)
    with os.fdopen(fd, "w") as f:
        f.write(text)


def add_recipients(samdb, lab, recipients, dn_of):
    for r in recipients:
        add(samdb, r.dn, **r.attributes)
        dn_of[r.key] = r.dn
    return len(recipients)


def seed_directory(samdb, lab, args, limited_password):
    counts = {}
    dn_of = {}
    for ou in rcp.ORGANIZATIONAL_UNITS:
        add(samdb, lab.ou(ou), objectClass="organizationalUnit")
    add(samdb, lab.system_objects_dn, objectClass="msExchSystemObjectsContainer")
    exchange.add_organization(samdb, lab)

    home = lab.mailbox_store
    special = rcp.special_users(lab) + rcp.journal_mailboxes(lab) + rcp.cluster_users(lab)
    counts["contacts"] = add_recipients(samdb, lab, rcp.contacts(lab), dn_of)
    counts["special users"] = add_recipients(samdb, lab, special, dn_of)
    counts["forwarding users"] = add_recipients(samdb, lab, rcp.forwarding_users(lab, dn_of), dn_of)
    counts["system mailboxes"] = add_recipients(samdb, lab, rcp.system_mailboxes(lab), dn_of)
    counts["groups"] = add_recipients(samdb, lab, rcp.groups(lab), dn_of)
    counts["public folders"] = add_recipients(samdb, lab, rcp.public_folders(lab), dn_of)
    exchange.set_journal_recipients(samdb, lab, dn_of)

    admin = samdb.search(base=lab.domain_dn, expression="(sAMAccountName=Administrator)",
                         attrs=["cn"])[0]
    replace(samdb, str(admin.dn), displayName="Administrator",
            **{k: v for k, v in rcp.mailbox_attributes(
                lab, home, "Administrator", lab.mail("administrator")).items() if v is not None})

    limited = rcp.user(lab, lab.ou(rcp.STAFF_OU), LIMITED_ACCOUNT, LIMITED_ACCOUNT, home,
                       displayName="Tavimor Limited")
    add(samdb, limited.dn, **limited.attributes)
    samdb.setpassword("(sAMAccountName=%s)" % LIMITED_ACCOUNT, limited_password)

    return counts


def generated_users(samdb, lab, args):
    """Adds the generated users in batches: a transaction per batch keeps the
    directory's in-memory index updates small, which makes bulk loads linear."""
    home = lab.mailbox_store
    if args.fill_mailbox_store:
        count = max(0, args.fill_mailbox_store - counts_on(samdb, lab, home))
        stores = [home]
    else:
        count = args.spread_users
        stores = [s for s in lab.home_server.stores()
                  if s.kind == "private" and not s.group.recovery]
    users = list(rcp.generated_users(lab, count, stores))

    def add_batch(batch):
        for user in batch:
            add(samdb, user.dn, **user.attributes)

    for start in range(0, len(users), args.batch):
        began = time.monotonic()
        in_transaction(samdb, lambda: add_batch(users[start:start + args.batch]))
        print("added users %d-%d in %.1f s" % (start + 1, min(len(users), start + args.batch),
                                               time.monotonic() - began), flush=True)
    return len(users)


def counts_on(samdb, lab, store):
    return len(samdb.search(base=lab.domain_dn, attrs=["cn"], expression=(
        "(&(objectCategory=person)(homeMDB=%s)(msExchMailboxGuid=*))" % ldb.binary_encode(store.dn))))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--smbconf", required=True)
    parser.add_argument("--host", required=True)
    parser.add_argument("--limited-password-file", required=True)
    parser.add_argument("--spread-users", type=int, default=300)
    parser.add_argument("--fill-mailbox-store", type=int, default=0)
    parser.add_argument("--batch", type=int, default=1000)
    args = parser.parse_args()

    started = time.monotonic()
    samdb = open_samdb(args.smbconf)
    lab = Lab(samdb.domain_dns_name(), args.host)
    schema.extend(samdb, samdb.get_schema_basedn().get_linearized())
    samdb = open_samdb(args.smbconf)  # a fresh connection works with the new schema

    password = new_password()
    write_private(args.limited_password_file, password)
    counts = in_transaction(samdb, lambda: seed_directory(samdb, lab, args, password))
    counts["generated users"] = generated_users(samdb, lab, args)
    for name, n in counts.items():
        print("seeded %-18s %6d" % (name, n))
    print("seeding took %.1f s" % (time.monotonic() - started))


if __name__ == "__main__":
    main()
