#pragma once
// Property names of the store's published schema. Exchange and MAPI names live
// under their schema roots; "DAV:" and "urn:" names are whole.

#include <QString>

namespace platform::store::schema {

inline const QString kExchangeRoot = QStringLiteral("http://schemas.microsoft.com/exchange/");
inline const QString kMapiRoot = QStringLiteral("http://schemas.microsoft.com/mapi/");

inline QString exchange(const QString& path) { return kExchangeRoot + path; }
inline QString mapi(const QString& path) { return kMapiRoot + path; }

inline const QString kHref = QStringLiteral("DAV:href");
inline const QString kDisplayName = QStringLiteral("DAV:displayname");
inline const QString kHasSubs = QStringLiteral("DAV:hassubs");
inline const QString kIsFolder = QStringLiteral("DAV:isfolder");
inline const QString kIsHidden = QStringLiteral("DAV:ishidden");
inline const QString kContentClass = QStringLiteral("DAV:contentclass");
inline const QString kInbox = QStringLiteral("urn:schemas:httpmail:inbox");

inline QString permanentUrl() { return exchange(QStringLiteral("permanenturl")); }
inline QString publicFolderEmailAddress() { return exchange(QStringLiteral("publicfolderemailaddress")); }
inline QString outlookMessageClass() { return exchange(QStringLiteral("outlookmessageclass")); }

}  // namespace platform::store::schema
