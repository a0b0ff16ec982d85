#include "storetool/Listing.h"

#include "journal/JournalReport.h"
#include "platform/store/Store.h"

namespace storetool {

namespace ps = platform::store;

namespace {
const QString kSubject = QStringLiteral("urn:schemas:httpmail:subject");

QString oneLine(QString text) {
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}
}  // namespace

void openFolderItems(ps::StoreRecordset& rows, ps::StoreConnection& con, const QString& folderUrl,
                     const QStringList& columns) {
    con.open(folderUrl);
    ps::StoreRecord folder;
    folder.open(folderUrl, &con);
    if (!folder.field(ps::schema::kIsFolder).toBool())
        throw platform::ComError(ps::err::BadUrl, QStringLiteral("%1 is not a folder").arg(folderUrl));
    rows.open(QStringLiteral("SELECT \"%1\" FROM SCOPE('shallow traversal of \"%2\"')")
                  .arg(columns.join(QStringLiteral("\", \"")), ps::quoteLiteral(ps::quoteUrlForScope(folderUrl))),
              con);
}

QStringList listFolder(const QString& folderUrl) {
    ps::StoreConnection con;
    ps::StoreRecordset rows;
    openFolderItems(rows, con, folderUrl, {ps::schema::kDisplayName, ps::schema::kContentClass, kSubject});
    QStringList out;
    for (; !rows.eof(); rows.moveNext())
        out << oneLine(rows.field(ps::schema::kDisplayName).toString()) + QLatin1Char('\t') +
                   oneLine(rows.field(ps::schema::kContentClass).toString()) + QLatin1Char('\t') +
                   oneLine(rows.field(kSubject).toString());
    return out;
}

QStringList showItem(const QString& itemUrl) {
    ps::StoreRecord rec;
    rec.open(itemUrl);
    QStringList out;
    QString mime, octets;
    for (const QString& name : rec.fieldNames()) {
        const QVariant v = rec.field(name);
        if (name.compare(journal::kMimeProperty, Qt::CaseInsensitive) == 0) {
            mime = v.toString();
            continue;
        }
        if (name.compare(journal::kMimeOctetsProperty, Qt::CaseInsensitive) == 0) {
            octets = v.toString();
            continue;
        }
        const QString text = v.isNull() ? QStringLiteral("(null)")
                             : v.typeId() == QMetaType::Bool ? (v.toBool() ? QStringLiteral("true") : QStringLiteral("false"))
                                                             : v.toString();
        out << name + QStringLiteral(": ") + oneLine(text);
    }
    if (!mime.isEmpty()) {
        out << QString();
        out << QString::fromUtf8(journal::mimeBytes(mime, octets)).split(QStringLiteral("\r\n")).join(QLatin1Char('\n')).split(QLatin1Char('\n'));
    }
    return out;
}

QByteArray itemMime(const QString& itemUrl) {
    ps::StoreRecord rec;
    rec.open(itemUrl);
    auto text = [&](const QString& name) { return rec.hasField(name) ? rec.field(name).toString() : QString(); };
    return journal::mimeBytes(text(journal::kMimeProperty), text(journal::kMimeOctetsProperty));
}

}  // namespace storetool
