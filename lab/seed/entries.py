"""Small helpers to write directory entries through a SamDB connection."""

import ldb


def add(samdb, dn, **attributes):
    """Adds one object; attributes whose value is None are left out."""
    entry = {"dn": dn}
    for name, value in attributes.items():
        if value is not None:
            entry[name] = value
    samdb.add(entry)


def replace(samdb, dn, **attributes):
    """Sets (or, with None, clears) attributes of an existing object."""
    msg = ldb.Message(ldb.Dn(samdb, dn))
    for name, value in attributes.items():
        if value is None:
            msg[name] = ldb.MessageElement([], ldb.FLAG_MOD_DELETE, name)
        else:
            msg[name] = ldb.MessageElement(value, ldb.FLAG_MOD_REPLACE, name)
    samdb.modify(msg)


def exists(samdb, dn):
    try:
        return bool(samdb.search(base=dn, scope=ldb.SCOPE_BASE, attrs=["cn"]))
    except ldb.LdbError as e:
        if e.args[0] == ldb.ERR_NO_SUCH_OBJECT:
            return False
        raise


def boolean(flag):
    return "TRUE" if flag else "FALSE"
