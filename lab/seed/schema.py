"""The Exchange schema extension of the lab.

Adds the Exchange attributes that base Samba AD lacks, lets every mail recipient
(user, contact, group, public folder: all carry the auxiliary class
mailRecipient) hold them, and adds the Exchange configuration classes.

OIDs: Microsoft's published Exchange OIDs where they are known; the rest lie in
the lab's own branch of Microsoft's arc for schema extensions
(1.2.840.113556.1.8000.2554), so they can never collide with a real one.
"""

import ldb

LAB_ARC = "1.2.840.113556.1.8000.2554.58717"

# attributeSyntax, oMSyntax and (for DNs) oMObjectClass of the syntaxes used.
UNICODE = ("2.5.5.12", "64", None)
DN = ("2.5.5.1", "127", b"\x2b\x0c\x02\x87\x73\x1c\x00\x85\x4a")
OCTETS = ("2.5.5.10", "4", None)
BOOLEAN = ("2.5.5.8", "1", None)

INDEXED = 1  # searchFlags: attribute is indexed


def _extension_attributes():
    oids = ["1.2.840.113556.1.2.%d" % n for n in range(423, 433)]   # 1..10
    oids += ["1.2.840.113556.1.2.%d" % n for n in range(599, 604)]  # 11..15
    return [("extensionAttribute%d" % (i + 1), "ms-Exch-Extension-Attribute-%d" % (i + 1),
             oid, UNICODE, 0) for i, oid in enumerate(oids)]


# (lDAPDisplayName, cn, attributeID, syntax, searchFlags)
RECIPIENT_ATTRIBUTES = [
    ("mailNickname", "ms-Exch-Mail-Nickname", "1.2.840.113556.1.2.447", UNICODE, INDEXED),
    ("homeMDB", "ms-Exch-Home-MDB", "1.2.840.113556.1.2.244", DN, INDEXED),
    ("homeMTA", "ms-Exch-Home-MTA", "1.2.840.113556.1.2.171", DN, INDEXED),
    ("msExchMailboxGuid", "ms-Exch-Mailbox-Guid", "1.2.840.113556.1.4.7000.102.11058", OCTETS, 0),
    ("msExchHomeServerName", "ms-Exch-Home-Server-Name", "1.2.840.113556.1.4.7000.102.47",
     UNICODE, 0),
    ("mAPIRecipient", "ms-Exch-MAPI-Recipient", LAB_ARC + ".4", BOOLEAN, 0),
    ("altRecipient", "ms-Exch-Alt-Recipient", "1.2.840.113556.1.2.126", DN, 0),
    ("deliverAndRedirect", "ms-Exch-Deliver-And-Redirect", "1.2.840.113556.1.2.106", BOOLEAN, 0),
] + _extension_attributes()

CONFIGURATION_ATTRIBUTES = [
    ("msExchMessageJournalRecipient", "ms-Exch-Message-Journal-Recipient", LAB_ARC + ".1", DN, 0),
    ("msExchResponsibleMTAServer", "ms-Exch-Responsible-MTA-Server", LAB_ARC + ".2", DN, 0),
    ("msExchRecovery", "ms-Exch-Recovery", LAB_ARC + ".3", BOOLEAN, 0),
]

# (lDAPDisplayName, cn, governsID, subClassOf, possSuperiors, mayContain, auxiliary)
CLASSES = [
    ("msExchSystemObjectsContainer", "ms-Exch-System-Objects-Container", LAB_ARC + ".101",
     "container", ["domainDNS"], [], []),
    ("msExchOrganizationContainer", "ms-Exch-Organization-Container", LAB_ARC + ".102",
     "container", ["msExchConfigurationContainer"], ["legacyExchangeDN"], []),
    ("msExchAdminGroupContainer", "ms-Exch-Admin-Group-Container", LAB_ARC + ".103",
     "container", ["msExchOrganizationContainer"], [], []),
    ("msExchAdminGroup", "ms-Exch-Admin-Group", LAB_ARC + ".104",
     "container", ["msExchAdminGroupContainer"], ["legacyExchangeDN"], []),
    ("msExchServersContainer", "ms-Exch-Servers-Container", LAB_ARC + ".105",
     "container", ["msExchAdminGroup"], [], []),
    ("msExchExchangeServer", "ms-Exch-Exchange-Server", LAB_ARC + ".106",
     "container", ["msExchServersContainer"],
     ["serialNumber", "networkAddress", "msExchResponsibleMTAServer", "legacyExchangeDN"], []),
    ("msExchMTA", "ms-Exch-MTA", LAB_ARC + ".107",
     "container", ["msExchExchangeServer"], ["legacyExchangeDN"], []),
    ("msExchInformationStore", "ms-Exch-Information-Store", LAB_ARC + ".108",
     "container", ["msExchExchangeServer"], [], []),
    ("msExchStorageGroup", "ms-Exch-Storage-Group", LAB_ARC + ".109",
     "container", ["msExchInformationStore"], ["msExchRecovery"], []),
    ("msExchPrivateMDB", "ms-Exch-Private-MDB", LAB_ARC + ".110",
     "container", ["msExchStorageGroup"], ["msExchMessageJournalRecipient", "legacyExchangeDN"], []),
    ("msExchPublicMDB", "ms-Exch-Public-MDB", LAB_ARC + ".111",
     "container", ["msExchStorageGroup"], ["legacyExchangeDN"], []),
    ("publicFolder", "ms-Exch-Public-Folder", LAB_ARC + ".112",
     "top", ["container", "msExchSystemObjectsContainer"], [], ["mailRecipient"]),
]

# Every mail recipient may hold these (added to the auxiliary class mailRecipient).
RECIPIENT_MAY_CONTAIN = ["mail", "displayName"] + [a[0] for a in RECIPIENT_ATTRIBUTES]


def _existing(samdb, schema_dn, expression):
    return samdb.search(base=schema_dn, scope=ldb.SCOPE_ONELEVEL, expression=expression,
                        attrs=["lDAPDisplayName"])


def _add_attribute(samdb, schema_dn, name, cn, oid, syntax, search_flags):
    found = _existing(samdb, schema_dn, "(|(lDAPDisplayName=%s)(attributeID=%s))" % (name, oid))
    if found:
        have = str(found[0]["lDAPDisplayName"][0])
        if have != name:
            raise RuntimeError("OID %s of %s is taken by %s" % (oid, name, have))
        return False
    attribute_syntax, om_syntax, om_class = syntax
    entry = {
        "dn": "CN=%s,%s" % (cn, schema_dn),
        "objectClass": ["top", "attributeSchema"],
        "cn": cn,
        "lDAPDisplayName": name,
        "adminDisplayName": name,
        "attributeID": oid,
        "attributeSyntax": attribute_syntax,
        "oMSyntax": om_syntax,
        "isSingleValued": "TRUE",
        "searchFlags": str(search_flags),
        "isMemberOfPartialAttributeSet": "TRUE",
        "systemOnly": "FALSE",
    }
    if om_class:
        entry["oMObjectClass"] = om_class
    samdb.add(entry)
    return True


def _add_class(samdb, schema_dn, name, cn, oid, parent, superiors, may, auxiliary):
    found = _existing(samdb, schema_dn, "(|(lDAPDisplayName=%s)(governsID=%s))" % (name, oid))
    if found:
        have = str(found[0]["lDAPDisplayName"][0])
        if have != name:
            raise RuntimeError("OID %s of %s is taken by %s" % (oid, name, have))
        return False
    entry = {
        "dn": "CN=%s,%s" % (cn, schema_dn),
        "objectClass": ["top", "classSchema"],
        "cn": cn,
        "lDAPDisplayName": name,
        "adminDisplayName": name,
        "governsID": oid,
        "subClassOf": parent,
        "objectClassCategory": "1",
        "rDNAttID": "cn",
        "possSuperiors": superiors,
        "defaultObjectCategory": "CN=%s,%s" % (cn, schema_dn),
        "defaultHidingValue": "FALSE",
        "systemOnly": "FALSE",
    }
    if may:
        entry["mayContain"] = may
    if auxiliary:
        entry["auxiliaryClass"] = auxiliary
    samdb.add(entry)
    return True


def _allow_on_recipients(samdb, schema_dn):
    res = samdb.search(base=schema_dn, scope=ldb.SCOPE_ONELEVEL,
                       expression="(lDAPDisplayName=mailRecipient)",
                       attrs=["mayContain", "systemMayContain"])
    have = {str(v) for k in ("mayContain", "systemMayContain") for v in res[0].get(k, [])}
    missing = [a for a in RECIPIENT_MAY_CONTAIN if a not in have]
    if not missing:
        return
    msg = ldb.Message(res[0].dn)
    msg["mayContain"] = ldb.MessageElement(missing, ldb.FLAG_MOD_ADD, "mayContain")
    samdb.modify(msg)


def refresh_schema(samdb):
    """Makes the directory load the changed schema before objects use it."""
    msg = ldb.Message(ldb.Dn(samdb, ""))
    msg["schemaUpdateNow"] = ldb.MessageElement("1", ldb.FLAG_MOD_ADD, "schemaUpdateNow")
    samdb.modify(msg)


def _phase(samdb, work):
    samdb.transaction_start()
    try:
        work()
    except BaseException:
        samdb.transaction_cancel()
        raise
    samdb.transaction_commit()
    refresh_schema(samdb)


def extend(samdb, schema_dn):
    """Adds what is missing; safe to run on an already extended schema.

    Each step is committed and the schema reloaded before the next one uses it.
    """
    _phase(samdb, lambda: [_add_attribute(samdb, schema_dn, *a)
                           for a in RECIPIENT_ATTRIBUTES + CONFIGURATION_ATTRIBUTES])
    _phase(samdb, lambda: _allow_on_recipients(samdb, schema_dn))
    for cls in CLASSES:  # one at a time: later classes name earlier ones as superiors
        _phase(samdb, lambda: _add_class(samdb, schema_dn, *cls))
