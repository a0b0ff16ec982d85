"""The Exchange organisation in the configuration partition.

Microsoft Exchange / Tavimor Lab / Administrative Groups / First Administrative
Group / Servers / <server> with its MTA, information store, storage groups and
stores, as an Exchange 2003 organisation keeps them.
"""

from entries import add, boolean, exists, replace
from layout import ADMIN_GROUP, ORGANIZATION, SERVER_VERSION


def _add_server(samdb, server):
    add(samdb, server.dn, objectClass="msExchExchangeServer",
        serialNumber=SERVER_VERSION,
        networkAddress=["ncacn_ip_tcp:" + server.fqdn, "netbios:" + server.name],
        legacyExchangeDN=server.legacy_name)
    add(samdb, server.mta_dn, objectClass="msExchMTA",
        legacyExchangeDN=server.legacy_name + "/cn=Microsoft MTA")
    replace(samdb, server.dn, msExchResponsibleMTAServer=server.mta_dn)
    add(samdb, server.information_store_dn, objectClass="msExchInformationStore")
    for group in server.groups:
        add(samdb, group.dn, objectClass="msExchStorageGroup",
            msExchRecovery=boolean(True) if group.recovery else None)
        for store in group.stores:
            kind = "msExchPrivateMDB" if store.kind == "private" else "msExchPublicMDB"
            add(samdb, store.dn, objectClass=kind,
                legacyExchangeDN="%s/cn=%s/cn=%s" % (server.legacy_name, group.name, store.name))


def add_organization(samdb, lab):
    if not exists(samdb, lab.exchange_dn):
        add(samdb, lab.exchange_dn, objectClass="msExchConfigurationContainer")
    add(samdb, lab.organization_dn, objectClass="msExchOrganizationContainer",
        legacyExchangeDN="/o=" + ORGANIZATION)
    add(samdb, lab.admin_groups_dn, objectClass="msExchAdminGroupContainer")
    add(samdb, lab.admin_group_dn, objectClass="msExchAdminGroup",
        legacyExchangeDN="/o=%s/ou=%s" % (ORGANIZATION, ADMIN_GROUP))
    add(samdb, lab.servers_dn, objectClass="msExchServersContainer")
    for server in lab.servers:
        _add_server(samdb, server)


def set_journal_recipients(samdb, lab, dn_of):
    """Points each journaled store at its recipient (dn_of: key -> DN)."""
    for server in lab.servers:
        for store in server.stores():
            if store.journal:
                replace(samdb, store.dn, msExchMessageJournalRecipient=dn_of[store.journal])
