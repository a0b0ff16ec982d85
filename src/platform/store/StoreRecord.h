#pragma once
// One store item opened by URL, in the manner of an ADO Record over the store:
// fields by name with typed values, staged changes saved by update() (all of them
// or none), items created, replaced or deleted. Opened through a connection, its
// writes take part in that connection's transaction.

#include "platform/store/ItemView.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <optional>
#include <vector>

namespace platform::store {

class StoreConnection;
namespace detail { struct Session; }

namespace adMode {
constexpr int Read = 1;
constexpr int Write = 2;
constexpr int ReadWrite = 3;
}  // namespace adMode

namespace adCreate {
constexpr int FailIfNotExists = -1;
constexpr int CreateNonCollection = 0;
constexpr int CreateCollection = 0x2000;
constexpr int OpenIfExists = 0x2000000;
constexpr int CreateOverwrite = 0x4000000;
// With CreateNonCollection: the new item is not made by open() but by the first
// update(), together with its fields in one transaction, so it appears whole or
// not at all (no reader, and no writer dying in between, sees it empty).
constexpr int CreateOnUpdate = 0x10000000;
}  // namespace adCreate

namespace adOpen {
constexpr int Unspecified = -1;
constexpr int DelayFetchFields = 0x8000;
}  // namespace adOpen

namespace adFld {
constexpr int Unspecified = -1;
}

class StoreRecord {
public:
    StoreRecord();
    ~StoreRecord();
    StoreRecord(const StoreRecord&) = delete;
    StoreRecord& operator=(const StoreRecord&) = delete;

    // Opens the item at `url`. Without a connection the record opens its own.
    // createOptions: FailIfNotExists (the item must exist), or a combination of
    // CreateCollection (a folder), OpenIfExists and CreateOverwrite (an existing
    // item and everything below it is replaced). Creating needs a write mode and
    // an existing parent folder. CreateOnUpdate defers the creation to update().
    // `options` is accepted and not used.
    void open(const QString& url, StoreConnection* activeConnection = nullptr, int mode = adMode::Read,
              int createOptions = adCreate::FailIfNotExists, int options = adOpen::Unspecified);
    void close();
    int state() const;
    QString url() const;

    int fieldCount() const;
    QStringList fieldNames() const;
    bool hasField(const QString& name) const;
    // The field's value; throws err::FieldNotFound when the item lacks it.
    QVariant field(const QString& name) const;
    int fieldType(const QString& name) const;

    // Stages a value: an existing field keeps its type (the value is converted),
    // a new field takes the value's type.
    void setField(const QString& name, const QVariant& value);
    // Stages a new field of a declared type (Fields.Append); the size and
    // attributes are accepted as ADO takes them. Throws when it exists already.
    void appendField(const QString& name, int type, int definedSize, int attributes,
                     const QVariant& value = QVariant());
    // Stages a reference to another item of the same store; reading it gives that
    // item's URL in the reader's form.
    void setLinkField(const QString& name, const QString& targetUrl);

    // Saves the staged fields, all or none (Fields.Update). A save event sink of
    // the item's folder (StoreEvents.h) runs first and may cancel the save: then
    // nothing is written, an item created by this record's open() is removed
    // again (the record is closed), and err::EventCancelled is thrown.
    void update();
    // Deletes the item (with everything below it); `url`, when given, must name
    // the record's own item. The record is closed afterwards.
    void deleteRecord(const QString& url = QString());

private:
    struct Pending {
        QString name;
        int type;
        QVariant value;
        bool appended;
    };
    void requireOpen() const;
    void requireWritable() const;
    const Pending* pending(const QString& name) const;
    std::optional<detail::FieldValue> current(const QString& name) const;

    std::shared_ptr<detail::Session> session_;
    std::optional<detail::ItemView> view_;
    QString url_;
    int mode_ = adMode::Read;
    std::vector<Pending> pending_;
    bool unsaved_ = false;  // created by open() and not saved since
    bool deferred_ = false; // CreateOnUpdate: not in the store until update()
};

}  // namespace platform::store
