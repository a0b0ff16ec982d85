"""Names and distinguished names of everything the lab seeds.

One place decides what the Exchange organisation looks like, so the schema,
configuration and recipient generators (and lab/README.md) agree on every name.
"""

import uuid

ORGANIZATION = "Tavimor Lab"
ADMIN_GROUP = "First Administrative Group"
SERVER_VERSION = "Version 6.5 (Build 7638.2: Service Pack 2)"
CLUSTER_SERVER = "EVS01"

# Namespace for the deterministic GUIDs of the lab (mailbox GUIDs, system
# mailbox aliases). Fixed so that every provisioning yields the same values.
LAB_NAMESPACE = uuid.UUID("7a1f3c52-9d0e-4b8a-a5c6-3e2d1f0b9c84")


def stable_guid(*parts):
    """A GUID that depends only on the given text parts."""
    return uuid.uuid5(LAB_NAMESPACE, "/".join(parts))


class Store:
    """A mailbox (or public) store in a storage group of a server."""

    def __init__(self, server, group, name, kind="private"):
        self.server = server
        self.group = group
        self.name = name
        self.kind = kind  # "private" or "public"
        self.journal = None  # key of the journal recipient (see recipients.py)

    @property
    def dn(self):
        return "CN=%s,%s" % (escape_rdn(self.name), self.group.dn)


class StorageGroup:
    def __init__(self, server, name, recovery=False):
        self.server = server
        self.name = name
        self.recovery = recovery
        self.stores = []

    @property
    def dn(self):
        return "CN=%s,%s" % (escape_rdn(self.name), self.server.information_store_dn)

    def add_store(self, name, kind="private"):
        store = Store(self.server, self, name, kind)
        self.stores.append(store)
        return store


class Server:
    def __init__(self, lab, name):
        self.lab = lab
        self.name = name  # upper case, as Exchange names its server objects
        self.groups = []

    @property
    def dn(self):
        return "CN=%s,%s" % (escape_rdn(self.name), self.lab.servers_dn)

    @property
    def mta_dn(self):
        return "CN=Microsoft MTA," + self.dn

    @property
    def information_store_dn(self):
        return "CN=InformationStore," + self.dn

    @property
    def legacy_name(self):
        return "/o=%s/ou=%s/cn=Configuration/cn=Servers/cn=%s" % (
            ORGANIZATION, ADMIN_GROUP, self.name)

    @property
    def fqdn(self):
        return "%s.%s" % (self.name.lower(), self.lab.dns_domain)

    def add_group(self, name, recovery=False):
        group = StorageGroup(self, name, recovery)
        self.groups.append(group)
        return group

    def stores(self):
        return [s for g in self.groups for s in g.stores]


class Lab:
    """The whole organisation for one domain and one host name."""

    def __init__(self, dns_domain, host):
        self.dns_domain = dns_domain.lower()
        self.domain_dn = ",".join("DC=" + p for p in self.dns_domain.split("."))
        self.host = host.upper()
        self.servers = []

        home = self.add_server(self.host)
        first = home.add_group("First Storage Group")
        self.mailbox_store = first.add_store("Mailbox Store (%s)" % self.host)
        self.journaled_store = first.add_store("Journaled Store")
        self.public_store = first.add_store("Public Folder Store (%s)" % self.host, "public")

        second = home.add_group("Second Storage Group")
        self.shared_a = second.add_store("Shared Journal A")
        self.shared_b = second.add_store("Shared Journal B")
        self.public_journal_store = second.add_store("Public Journal Store")
        self.second_journaled_store = second.add_store("Journaled Store")

        recovery = home.add_group("Recovery Storage Group", recovery=True)
        self.recovery_store = recovery.add_store("Recovery Mailbox Store")

        cluster = self.add_server(CLUSTER_SERVER)
        evs = cluster.add_group("EVS Storage Group")
        self.cluster_store = evs.add_store("EVS Mailbox Store")

        self.journaled_store.journal = "journal.archive"
        self.shared_a.journal = "shared.archive"
        self.shared_b.journal = "shared.archive"
        self.public_journal_store.journal = "journal-folder"
        self.second_journaled_store.journal = "archive.darcy"

    def add_server(self, name):
        server = Server(self, name)
        self.servers.append(server)
        return server

    @property
    def home_server(self):
        return self.servers[0]

    @property
    def cluster_server(self):
        return self.servers[1]

    # Configuration partition
    @property
    def configuration_dn(self):
        return "CN=Configuration," + self.domain_dn

    @property
    def schema_dn(self):
        return "CN=Schema," + self.configuration_dn

    @property
    def exchange_dn(self):
        return "CN=Microsoft Exchange,CN=Services," + self.configuration_dn

    @property
    def organization_dn(self):
        return "CN=%s,%s" % (ORGANIZATION, self.exchange_dn)

    @property
    def admin_groups_dn(self):
        return "CN=Administrative Groups," + self.organization_dn

    @property
    def admin_group_dn(self):
        return "CN=%s,%s" % (ADMIN_GROUP, self.admin_groups_dn)

    @property
    def servers_dn(self):
        return "CN=Servers," + self.admin_group_dn

    # Domain partition
    @property
    def system_objects_dn(self):
        return "CN=Microsoft Exchange System Objects," + self.domain_dn

    def ou(self, name):
        return "OU=%s,%s" % (escape_rdn(name), self.domain_dn)

    def mail(self, local):
        return "%s@%s" % (local, self.dns_domain)

    def mailbox_stores(self):
        return [s for srv in self.servers for s in srv.stores() if s.kind == "private"]


def escape_rdn(value):
    """Escapes an attribute value for use in an RDN (RFC 4514)."""
    out = []
    for i, ch in enumerate(value):
        if ch in ',+"\\<>;=' or (ch == "#" and i == 0) or (ch == " " and i in (0, len(value) - 1)):
            out.append("\\" + ch)
        else:
            out.append(ch)
    return "".join(out)
