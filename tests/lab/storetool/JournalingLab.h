#pragma once
// Journaling against the lab's directory: a temporary store with the journal
// mailbox and the parties' mailboxes, a temporary catalog with the hosted
// application and the built sink, the registration made by the program's own
// routine, and reports delivered as the tool delivers them. Markers and group
// members written to the lab are put back after each test.

#include "lab/platform_store/TempStore.h"
#include "platform/complus/Catalog.h"
#include "platform/directory/Directory.h"
#include "platform/store/Store.h"
#include "store/Registration.h"
#include "storetool/Delivery.h"
#include "storetool/Listing.h"
#include "support/Lab.h"
#include "support/TempCatalog.h"

#include <gtest/gtest.h>
#include <optional>

namespace testsupport {

using testing_support::ldapsearchValues;

inline QString labFilterValue(QString v) {
    v.replace("\\", "\\5c").replace("*", "\\2a").replace("(", "\\28").replace(")", "\\29");
    return v;
}

class JournalingLab : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_LAB();
        savedCatalog_ = qgetenv("TAVIMOR_COMPLUS_CATALOG");
        // The sink reads every marker afresh: these tests change them between reports.
        qputenv("TAVIMOR_SINK_CACHE_SECONDS", "0");
        qputenv("TAVIMOR_COMPLUS_CATALOG", catalog.path().toUtf8());
        {
            platform::complus::Catalog c = catalog.open();
            c.InstallComponent(testing_support::addApp(c, "Tavimor"), testing_support::sinkLibrary(), QString(), QString());
        }
        journalDn = "CN=Journal Archive,OU=Journal," + testing_support::labBase();
        const QString journaled = ldapsearchValues("(cn=Journal Archive)", "homeMDB").value(0);
        ASSERT_FALSE(journaled.isEmpty());
        // Parties: users homed on the journaled store who carry no marker.
        parties = ldapsearchValues("(&(homeMDB=" + labFilterValue(journaled) +
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
    void TearDown() override {
        for (auto it = kept_.rbegin(); it != kept_.rend(); ++it) {
            try {
                put(it->dn, it->attr, it->value.value_or(QVariant()));
            } catch (const platform::ComError&) {
                ADD_FAILURE() << "could not put back " << it->attr.toStdString() << " of " << it->dn.toStdString();
            }
        }
        qputenv("TAVIMOR_COMPLUS_CATALOG", savedCatalog_);
        qunsetenv("TAVIMOR_SINK_CACHE_SECONDS");
    }

    // Writes an attribute of a lab object, keeping its value to put back.
    void write(const QString& dn, const QString& attr, const QVariant& value) {
        const QStringList old = ldapsearchValues("(objectClass=*)", attr, dn);
        kept_.push_back({dn, attr, old.isEmpty() ? std::nullopt : std::optional<QVariant>(old.size() == 1 ? QVariant(old[0]) : QVariant(old))});
        put(dn, attr, value);
    }
    // Sets an attribute, or clears it with a null value.
    static void put(const QString& dn, const QString& attr, const QVariant& value) {
        auto o = platform::directory::DirectoryObject::bind("LDAP://" + dn);
        if (value.isNull()) o.putEx(platform::directory::DirectoryObject::ClearControl, attr);
        else o.put(attr, value);
        o.setInfo();
    }
    void markers(const QString& mail, const QString& value) {
        write(dnOfMail(mail), "extensionAttribute10", value.isEmpty() ? QVariant() : QVariant(value));
    }
    static QString dnOfMail(const QString& mail) {
        return ldapsearchValues("(mail=" + labFilterValue(mail) + ")", "distinguishedName").value(0);
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
    std::vector<storetool::SavedReport> deliver(const QString& from, const QStringList& to, const QString& subject = "Figures") {
        storetool::Deliverer d(*env);
        return d.deliver({from, to, {}, {}, subject});
    }

    TempStore store;
    testing_support::TempCatalog catalog;
    QString journalDn;
    QStringList parties;
    std::unique_ptr<storetool::StoreEnvironment> env;

private:
    struct Kept {
        QString dn, attr;
        std::optional<QVariant> value;
    };
    std::vector<Kept> kept_;
    QByteArray savedCatalog_;
};

}  // namespace testsupport
