"""Checks of the lab's data generator that need no domain controller.

    /usr/bin/python3 -m unittest discover -s lab/tests
"""

import os
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "seed"))

import recipients as rcp  # noqa: E402
from layout import Lab, escape_rdn  # noqa: E402


def all_recipients(lab, generated=300):
    dn_of = {}
    fixed = (rcp.contacts(lab) + rcp.special_users(lab) + rcp.journal_mailboxes(lab)
             + rcp.cluster_users(lab) + rcp.system_mailboxes(lab) + rcp.groups(lab)
             + rcp.public_folders(lab))
    for r in fixed:
        dn_of[r.key] = r.dn
    fixed += rcp.forwarding_users(lab, dn_of)
    stores = [s for s in lab.home_server.stores() if s.kind == "private" and not s.group.recovery]
    return fixed + list(rcp.generated_users(lab, generated, stores))


class EscapeRdnTest(unittest.TestCase):
    def test_special_characters_are_escaped(self):
        self.assertEqual(escape_rdn('a,b+c"d\\e<f>g;h=i'), 'a\\,b\\+c\\"d\\\\e\\<f\\>g\\;h\\=i')

    def test_leading_hash_and_outer_blanks_are_escaped(self):
        self.assertEqual(escape_rdn("#x"), "\\#x")
        self.assertEqual(escape_rdn(" x "), "\\ x\\ ")
        self.assertEqual(escape_rdn("a #b c"), "a #b c")

    def test_apostrophes_and_brackets_stay(self):
        self.assertEqual(escape_rdn("Mailbox Store (VM)"), "Mailbox Store (VM)")
        self.assertEqual(escape_rdn("O'Brien"), "O'Brien")


class RecipientsTest(unittest.TestCase):
    def setUp(self):
        self.lab = Lab("tavimor.lab", "vm")
        self.recipients = all_recipients(self.lab)

    def test_names_and_accounts_are_unique(self):
        dns = [r.dn.lower() for r in self.recipients]
        self.assertEqual(len(dns), len(set(dns)))
        keys = [r.key for r in self.recipients]
        self.assertEqual(len(keys), len(set(keys)))
        accounts = [r.attributes["sAMAccountName"].lower() for r in self.recipients
                    if "sAMAccountName" in r.attributes]
        self.assertEqual(len(accounts), len(set(accounts)))
        self.assertTrue(all(0 < len(a) <= 20 for a in accounts))
        mails = [r.attributes["mail"].lower() for r in self.recipients if r.attributes.get("mail")]
        self.assertEqual(len(mails), len(set(mails)))

    def test_generated_names_stay_unique_for_the_large_instance(self):
        names = {rcp.generated_name(i) for i in range(30500)}
        self.assertEqual(len(names), 30500)
        self.assertEqual(len({alias for _, alias in names}), 30500)

    def test_every_marker_form_is_seeded(self):
        values = {r.attributes.get("extensionAttribute10") for r in self.recipients
                  if r.key.startswith("marker.")}
        for form in ["###NoArcIn", "###NoArcOut", "###NoArcIn###NoArcOut", "free text###NoArcOut",
                     "###noarcin", "NoArcIn", "value###", "###NoArcIn###NoArcIn", None]:
            self.assertIn(form, values)

    def test_journal_recipients_exist_and_mailboxes_are_homed_on_their_store(self):
        by_key = {r.key: r for r in self.recipients}
        journaled = [s for s in self.lab.mailbox_stores() if s.journal]
        self.assertEqual(len(journaled), 5)
        for store in journaled:
            recipient = by_key[store.journal]
            if recipient.attributes["objectClass"] == "user":
                self.assertIn(recipient.attributes["homeMDB"],
                              [s.dn for s in journaled if s.journal == store.journal])
            else:
                self.assertEqual(recipient.attributes["objectClass"], "publicFolder")

    def test_system_mailbox_prefix_appears_in_several_cases(self):
        prefixes = {r.attributes["mailNickname"][:14] for r in self.recipients
                    if r.attributes.get("mailNickname", "").lower().startswith("systemmailbox{")}
        self.assertGreaterEqual(len(prefixes), 3)
        plain = [r for r in self.recipients if r.attributes.get("mailNickname") == "SystemMailbox"]
        self.assertEqual(len(plain), 1)

    def test_mailboxes_point_at_their_servers_mta(self):
        stores = {s.dn: s for s in self.lab.mailbox_stores()}
        for r in self.recipients:
            if "homeMDB" in r.attributes:
                store = stores[r.attributes["homeMDB"]]
                self.assertEqual(r.attributes["homeMTA"], store.server.mta_dn)
                self.assertEqual(len(r.attributes["msExchMailboxGuid"]), 16)

    def test_public_folders_and_contacts_classify_apart(self):
        folders = [r for r in self.recipients if r.attributes["objectClass"] == "publicFolder"]
        contacts = [r for r in self.recipients if r.attributes["objectClass"] == "contact"]
        self.assertTrue(folders and contacts)
        self.assertTrue(all("mAPIRecipient" not in r.attributes for r in folders))
        self.assertTrue(all(r.attributes["mAPIRecipient"] == "TRUE" for r in contacts))
        self.assertTrue(any("'" in r.attributes["mail"] for r in folders))


class LayoutTest(unittest.TestCase):
    def test_server_is_named_after_the_host_in_upper_case(self):
        lab = Lab("Tavimor.Lab", "vm")
        self.assertTrue(lab.home_server.dn.startswith("CN=VM,CN=Servers,CN=First Administrative Group"))
        self.assertEqual(lab.domain_dn, "DC=tavimor,DC=lab")
        self.assertTrue(lab.home_server.legacy_name.endswith("/cn=Configuration/cn=Servers/cn=VM"))

    def test_two_stores_share_a_name_in_different_groups(self):
        lab = Lab("tavimor.lab", "vm")
        same = [s for s in lab.mailbox_stores() if s.name == "Journaled Store"]
        self.assertEqual(len(same), 2)
        self.assertNotEqual(same[0].dn, same[1].dn)


if __name__ == "__main__":
    unittest.main()
