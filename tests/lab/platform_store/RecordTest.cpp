#include "lab/platform_store/StoreTest.h"

namespace {

class RecordTest : public ::testing::Test {
protected:
    void SetUp() override {
        StoreBuilder b(TempStore::domain());
        b.ensureMailbox(QStringLiteral("jdoe"), QStringLiteral("Posteingang"));
        b.commit();
    }
    TempStore store;
};
}  // namespace

// Field order is checked on registration items, integer types on the junk e-mail rule.
TEST_F(RecordTest, CreatedFieldsAreReadBackInEitherFormAndAnyCase) {
    {
        StoreRecord rec;
        rec.open(TempStore::file("mbx/jdoe/Posteingang/item.eml"), nullptr, adMode::ReadWrite, adCreate::CreateOverwrite,
                 adOpen::DelayFetchFields);
        rec.setField(QStringLiteral("urn:x:text"), QStringLiteral("1"));
        rec.setField(schema::kIsHidden, true);
        rec.setField(QStringLiteral("urn:x:int"), qint32(-1));
        rec.appendField(QStringLiteral("Tavimor_FWDAddress"), adType::BSTR, 0, adFld::Unspecified, QStringLiteral(" a "));
        rec.update();
    }
    StoreRecord rec;
    rec.open(TempStore::web("MBX/JDOE/posteingang/ITEM.EML"));  // case-blind, other form
    EXPECT_EQ(rec.field(QStringLiteral("urn:x:text")), QVariant(QStringLiteral("1")));
    EXPECT_EQ(rec.field(schema::kIsHidden), QVariant(true));
    EXPECT_EQ(rec.field(QStringLiteral("urn:x:int")), QVariant(qint32(-1)));
    EXPECT_EQ(rec.field(QStringLiteral("Tavimor_FWDAddress")), QVariant(QStringLiteral(" a ")));  // untrimmed
    EXPECT_EQ(rec.field(schema::kHref), QVariant(TempStore::web("mbx/jdoe/Posteingang/item.eml")));
    EXPECT_EQ(rec.field(schema::kDisplayName), QVariant(QStringLiteral("item.eml")));
    EXPECT_EQ(rec.field(schema::kIsFolder), QVariant(false));
    EXPECT_EQ(errorOf([&] { rec.field(QStringLiteral("urn:x:absent")); }), err::FieldNotFound);
}

TEST_F(RecordTest, OpenCreateAndDeleteRules) {
    // Absent item, missing parent, an item that exists; the root cannot be deleted.
    const struct { QString url; int mode, create; int32_t error; } refused[] = {
        {TempStore::file("mbx/nobody"), adMode::Read, adCreate::FailIfNotExists, err::ItemNotFound},
        {TempStore::file("mbx/nobody/Inbox/x"), adMode::ReadWrite, adCreate::CreateOverwrite, err::StoreNotFound},
        {TempStore::file("mbx/jdoe/Sent Items"), adMode::ReadWrite, adCreate::CreateNonCollection, err::ItemExists},
    };
    for (const auto& r : refused) {
        StoreRecord rec;
        EXPECT_EQ(errorOf([&] { rec.open(r.url, nullptr, r.mode, r.create); }), r.error) << r.url.toStdString();
    }
    StoreRecord rw;
    rw.open(TempStore::file("mbx/jdoe"), nullptr, adMode::ReadWrite);

    // Deleting a folder takes everything below it; the URL names the record's item.
    rw.deleteRecord(TempStore::web("mbx/JDOE"));
    EXPECT_EQ(rw.state(), adState::Closed);
    StoreRecord gone;
    EXPECT_EQ(errorOf([&] { gone.open(TempStore::file("mbx/jdoe/Posteingang")); }), err::ItemNotFound);
    StoreRecord root;
    root.open(TempStore::file(), nullptr, adMode::ReadWrite);
    EXPECT_EQ(errorOf([&] { root.deleteRecord(); }), err::ReadOnly);
}
