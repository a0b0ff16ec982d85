"""The recipients of the lab: mailbox users, journal mailboxes, system mailboxes,
groups, contacts and mail-enabled public folders.

Everything is derived from fixed tables and the index of a generated user, so
two provisionings of the same domain and host yield the same directory.
Each recipient has a key (its alias) by which other objects refer to it.
"""

from layout import escape_rdn, stable_guid

NORMAL_ACCOUNT = 512
DISABLED_ACCOUNT = 514  # NORMAL_ACCOUNT with the "account disabled" bit (2)

GLOBAL_SECURITY_GROUP = -2147483646   # sAMAccountType 268435456
GLOBAL_DISTRIBUTION_GROUP = 2         # sAMAccountType 268435457
UNIVERSAL_DISTRIBUTION_GROUP = 8      # sAMAccountType 268435457

STAFF_OU = "Staff"
JOURNAL_OU = "Journal"
GROUPS_OU = "Groups"
CONTACTS_OU = "Contacts"
ORGANIZATIONAL_UNITS = [STAFF_OU, JOURNAL_OU, GROUPS_OU, CONTACTS_OU]

# Every form of extensionAttribute10 the user list has to read correctly.
# (alias, display name, value)
MARKER_USERS = [
    ("marker.none", "Marker None", None),
    ("marker.in", "Marker In", "###NoArcIn"),
    ("marker.out", "Marker Out", "###NoArcOut"),
    ("marker.both", "Marker Both", "###NoArcIn###NoArcOut"),
    ("marker.freetext", "Marker Free Text", "free text###NoArcOut"),
    ("marker.lower", "Marker Lower Case", "###noarcin"),
    ("marker.nohash", "Marker Without Separator", "NoArcIn"),
    ("marker.trailing", "Marker Trailing Separator", "value###"),
    ("marker.twice", "Marker In Twice", "###NoArcIn###NoArcIn"),
]

# Case variants of the system-mailbox alias prefix, one per mailbox store.
SYSTEM_MAILBOX_FORMS = ["SystemMailbox{%s}", "SYSTEMMAILBOX{%s}", "systemmailbox{%s}",
                        "SystemMAILBOX{%s}", "sYSTEMmAILBOX{%s}"]

FIRST_NAMES = ["Anna", "Ben", "Clara", "David", "Elena", "Felix", "Greta", "Hugo", "Ida",
               "Jonas", "Katrin", "Lukas", "Mia", "Noah", "Olga", "Paul", "Quinn", "Rosa",
               "Simon", "Tina", "Uwe", "Vera", "Walter", "Xenia", "Yusuf", "Zelda"]
LAST_NAMES = ["Abbott", "Becker", "Carter", "Dietrich", "Evans", "Fischer", "Garcia", "Hoffmann",
              "Ivanova", "Jensen", "Klein", "Lambert", "Meyer", "Novak", "Olsen", "Peters",
              "Quade", "Richter", "Schmidt", "Turner", "Ulrich", "Vogel", "Wagner", "Young",
              "Zimmermann", "Moreau", "Rossi", "Kowalski", "Nakamura", "Silva"]


class Recipient:
    def __init__(self, key, dn, attributes):
        self.key = key
        self.dn = dn
        self.attributes = attributes


def _account_name(alias):
    name = "".join(ch for ch in alias if ch.isalnum() or ch in ".-_")
    return name[:20]


def mailbox_attributes(lab, store, alias, mail):
    """What Exchange stamps on a mailbox-enabled object homed on the store."""
    return {
        "mail": mail or None,
        "mailNickname": alias,
        "proxyAddresses": ["SMTP:" + mail] if mail else None,
        "homeMDB": store.dn,
        "homeMTA": store.server.mta_dn,
        "msExchMailboxGuid": stable_guid("mailbox", alias).bytes_le,
        "msExchHomeServerName": store.server.legacy_name,
    }


_OWN_ADDRESS = object()  # default: alias@domain for a mailbox, none otherwise


def user(lab, ou_dn, name, alias, store=None, mail=_OWN_ADDRESS, disabled=False, **extra):
    attributes = {
        "objectClass": "user",
        "sAMAccountName": extra.pop("sAMAccountName", _account_name(alias)),
        "displayName": name,
        "userAccountControl": str(DISABLED_ACCOUNT if disabled else NORMAL_ACCOUNT),
    }
    if mail is _OWN_ADDRESS:
        mail = lab.mail(alias) if store is not None else None
    if store is not None:
        attributes.update(mailbox_attributes(lab, store, alias, mail))
    elif mail:
        attributes.update({"mail": mail, "mailNickname": alias})
    attributes.update(extra)
    return Recipient(alias, "CN=%s,%s" % (escape_rdn(name), ou_dn), attributes)


def generated_name(index):
    """Display name and alias of the index-th generated user; unique for every index."""
    combos = len(FIRST_NAMES) * len(LAST_NAMES)
    pair, cycle = index % combos, index // combos
    first_index, row = pair % len(FIRST_NAMES), pair // len(FIRST_NAMES)
    first = FIRST_NAMES[first_index]
    last = LAST_NAMES[(row + 7 * first_index) % len(LAST_NAMES)]
    suffix = " %d" % (cycle + 1) if cycle else ""
    return "%s %s%s" % (first, last, suffix), ("%s.%s%s" % (first, last, suffix.strip())).lower()


def generated_users(lab, count, stores):
    """`count` ordinary mailbox users, spread round-robin over `stores`.

    Every 25th user is disabled; on the first-group "Journaled Store" every 5th
    user homed there excludes outgoing mail ("###NoArcOut").
    """
    staff = lab.ou(STAFF_OU)
    for i in range(count):
        name, alias = generated_name(i)
        store = stores[i % len(stores)]
        marker = None
        if store is lab.journaled_store and (i // len(stores)) % 5 == 0:
            marker = "###NoArcOut"
        yield user(lab, staff, name, alias, store, disabled=(i % 25 == 24),
                    givenName=name.split()[0], sn=name.split()[1],
                    extensionAttribute10=marker)


def special_users(lab):
    """Named users that tests rely on; see lab/README.md."""
    staff = lab.ou(STAFF_OU)
    home = lab.mailbox_store
    users = [user(lab, staff, name, alias, home, extensionAttribute10=value)
             for alias, name, value in MARKER_USERS]
    users += [
        user(lab, staff, "Se\u00e1n O'Brien", "o'brien", home, givenName="Se\u00e1n",
              sn="O'Brien"),
        user(lab, staff, "J\u00fcrgen Wei\u00df", "juergen.weiss", home),
        user(lab, staff, "Zo\u00eb Adams", "zoe.adams", home),
        user(lab, staff, "Disabled Dora", "dora.disabled", home, disabled=True),
        user(lab, staff, "SystemMailbox", "SystemMailbox", home),
        user(lab, staff, "No Mail Mailbox", "nomail.mailbox", home, mail=None),
        user(lab, staff, "No Mail Plain", "nomail.plain"),
    ]
    return users


def forwarding_users(lab, dn_of):
    staff = lab.ou(STAFF_OU)
    home = lab.mailbox_store
    return [
        user(lab, staff, "Forward To User", "fwd.user", home,
              altRecipient=dn_of["juergen.weiss"], deliverAndRedirect="TRUE"),
        user(lab, staff, "Forward To Contact", "fwd.contact", home,
              altRecipient=dn_of["partner"], deliverAndRedirect="TRUE"),
        user(lab, staff, "Forward Only", "fwd.only", home,
              altRecipient=dn_of["o'brien"], deliverAndRedirect="FALSE"),
    ]


def journal_mailboxes(lab):
    journal = lab.ou(JOURNAL_OU)
    return [
        user(lab, journal, "Journal Archive", "journal.archive", lab.journaled_store),
        user(lab, journal, "Shared Archive", "shared.archive", lab.shared_a),
        user(lab, journal, "Archive D'Arcy", "archive.darcy", lab.second_journaled_store,
              mail=lab.mail("archive.d'arcy")),
    ]


def cluster_users(lab):
    """Users homed on the cluster's virtual server EVS01."""
    staff = lab.ou(STAFF_OU)
    store = lab.cluster_store
    users = [user(lab, staff, "EVS Admin", "evs.admin", store, sAMAccountName="evsadmin",
                   msExchHomeServerName=store.server.legacy_name.replace("cn=EVS01", "cn=Evs01"))]
    users += [user(lab, staff, "EVS User %d" % n, "evs.user%d" % n, store) for n in range(1, 5)]
    return users


def system_mailboxes(lab):
    """One SystemMailbox{GUID} per live mailbox store, the prefix in varying case."""
    boxes = []
    stores = [s for s in lab.mailbox_stores() if not s.group.recovery]
    for n, store in enumerate(stores):
        guid = str(stable_guid("system-mailbox", store.dn)).upper()
        alias = SYSTEM_MAILBOX_FORMS[n % len(SYSTEM_MAILBOX_FORMS)] % guid
        boxes.append(user(lab, lab.system_objects_dn, alias, alias, store, disabled=True,
                           sAMAccountName="SM_" + guid.replace("-", "")[:17]))
    return boxes


def groups(lab):
    ou = lab.ou(GROUPS_OU)
    table = [
        ("Tavimor Staff", "staff", GLOBAL_SECURITY_GROUP),
        ("All Hands", "all-hands", GLOBAL_DISTRIBUTION_GROUP),
        ("O'Neill Team", "o'neill-team", UNIVERSAL_DISTRIBUTION_GROUP),
    ]
    return [Recipient(alias, "CN=%s,%s" % (escape_rdn(name), ou), {
        "objectClass": "group", "sAMAccountName": _account_name(alias), "groupType": str(kind),
        "displayName": name, "mail": lab.mail(alias), "mailNickname": alias,
        "proxyAddresses": ["SMTP:" + lab.mail(alias)]}) for name, alias, kind in table]


def contacts(lab):
    ou = lab.ou(CONTACTS_OU)
    table = [
        ("External Partner", "partner", "partner@example.com"),
        ("Ann O'Connor", "ann.oconnor", "ann.o'connor@example.org"),
        ("Bj\u00f6rn Berg", "bjorn.berg", "bjorn.berg@example.net"),
    ]
    return [Recipient(alias, "CN=%s,%s" % (escape_rdn(name), ou), {
        "objectClass": "contact", "displayName": name, "mail": mail, "mailNickname": alias,
        "proxyAddresses": ["SMTP:" + mail], "mAPIRecipient": "TRUE"})
        for name, alias, mail in table]


def public_folders(lab):
    """Mail-enabled public folders: no sAMAccountType and no mAPIRecipient."""
    table = [
        ("Journal Folder", "journal-folder"),
        ("Sales Folder", "sales-folder"),
        ("O'Reilly Folder", "o'reilly-folder"),
        ("Customers' Folder", "customers'-folder"),
    ]
    return [Recipient(alias, "CN=%s,%s" % (escape_rdn(name), lab.system_objects_dn), {
        "objectClass": "publicFolder", "displayName": name, "mail": lab.mail(alias),
        "mailNickname": alias, "proxyAddresses": ["SMTP:" + lab.mail(alias)]})
        for name, alias in table]
