#pragma once
// The journaling lab fixture the store tool's lab tests share.

#include "journal/JournalReport.h"
#include "lab/platform_store/TempStore.h"
#include "platform/complus/Catalog.h"
#include "platform/store/Store.h"
#include "store/Registration.h"
#include "storetool/Delivery.h"
#include "storetool/Listing.h"
#include "support/Lab.h"
#include "support/TempCatalog.h"

#include <gtest/gtest.h>

using namespace testsupport;
using testing_support::dnOfMail;
using testing_support::ldapsearchValues;
namespace ps = platform::store;

// A temporary store with the journal mailbox and the parties' mailboxes, a
// temporary catalog with the hosted application and the built sink, and the
// registration made by the program's own routine. Markers and group members
// written to the lab are put back after each test.
class Journaling : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_LAB();
        // The sink reads every marker afresh: these tests change them between reports.
        environment.set("TAVIMOR_SINK_CACHE_SECONDS", "0");
        environment.set("TAVIMOR_COMPLUS_CATALOG", catalog.path().toUtf8());
        installSink();
        journalDn = "CN=Journal Archive,OU=Journal," + testing_support::labBase();
        const QString journaled = ldapsearchValues("(cn=Journal Archive)", "homeMDB").value(0);
        ASSERT_FALSE(journaled.isEmpty());
        // Parties: users homed on the journaled store who carry no marker.
        parties = ldapsearchValues("(&(homeMDB=" + testing_support::filterValue(journaled) +
                                       ")(!(extensionAttribute10=*))(userAccountControl=512)(!(cn=Journal*)))",
                                   "mail");
        ASSERT_GE(parties.size(), 16);
        lab::StoreBuilder b(TempStore::domain());
        b.ensureMailbox("journal.archive");
        b.ensureMailbox("marker.none");
        for (const QString& p : parties) b.ensureMailbox(p.section('@', 0, 0));
        b.ensurePublicFolder({"Sales Folder"}, "sales-folder@tavimor.lab");
        b.commit();
        env = storetool::StoreEnvironment::open(true);
        register_();
    }
    // The hosted application with the built sink, in the test's catalog.
    void installSink() {
        platform::complus::Catalog c = catalog.open();
        c.InstallComponent(testing_support::addApp(c, "Tavimor"), testing_support::sinkLibrary(), QString(), QString());
    }
    void markers(const QString& mail, const QString& value) {
        attributes.write(dnOfMail(mail), "extensionAttribute10", value.isEmpty() ? QVariant() : QVariant(value));
    }

    void register_(const QString& forward = {}, bool both = false) {
        store::CreateRegItem(env->context(), journalDn, forward, both);
        ASSERT_TRUE(store::CheckRegItem(env->context(), journalDn, false));
    }
    QString inbox(const QString& alias) const { return TempStore::file("mbx/" + alias + "/Inbox"); }
    QStringList reports(const QString& folder) const {
        QStringList out;
        for (const QString& line : storetool::listFolder(folder))
            if (line.contains("urn:content-class:message")) out << line;
        return out;
    }
    // One report saved into a journal folder (by default the journaled store's)
    // as the transfer agent writes it; `to` are its recipients.
    bool save(const QStringList& to, const QString& from = "someone@example.org", const QString& alias = "journal.archive") {
        const journal::Envelope e{from, "x", "<x@x>", to, {}, {}};
        return storetool::Deliverer(*env).saveInto(inbox(alias), alias + "@tavimor.lab", e, "Subject: x\r\n\r\nx\r\n").kept;
    }
    std::vector<storetool::SavedReport> deliver(const QString& from, const QStringList& to, const QString& subject = "Figures") {
        storetool::Deliverer d(*env);
        return d.deliver({from, to, {}, {}, subject});
    }

    TempStore store;
    testing_support::TempCatalog catalog;
    QString journalDn;
    QStringList parties;
    std::unique_ptr<storetool::StoreEnvironment> env;
    testing_support::AttributeKeeper attributes;
    testing_support::EnvScope environment;
};
