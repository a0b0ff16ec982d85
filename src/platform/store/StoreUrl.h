#pragma once
// Store URLs. One item namespace is reachable through two forms:
//   http://<server>/exadmin/<domain folder>/<path...>
//   file://./backofficestorage/<domain folder>/<path...>
// The server part of the web form is not looked at (the store is local). Path
// segments are percent-decoded where a valid %XX sequence stands (names are
// encoded by encodeName when URLs are built); empty segments
// (doubled or trailing slashes) are dropped; "." and ".." and segments holding a
// slash or NUL after decoding are refused. Names are matched without regard to
// case by the store, not here.

#include <QString>
#include <QStringList>

namespace platform::store {

struct StoreUrl {
    enum class Form { Web, File };
    Form form = Form::File;
    QString host;          // web form only, as written
    QString domainFolder;  // decoded, as written
    QStringList segments;  // decoded path below the domain folder

    // Parses either form; throws ComError (err::BadUrl) for anything else.
    static StoreUrl parse(const QString& url);

    // The URL of `path` (segments below the domain folder) in this URL's form,
    // each name percent-encoded (encodeName) so that parse() gives it back.
    QString withPath(const QStringList& path) const;
    QString toString() const { return withPath(segments); }
};

// A name as it goes into a store URL: "%" and "/" are percent-encoded, so that
// parsing gives back exactly this name (a name holding "%41" stays "%41"
// and cannot address "A"). Everything else is left as written.
QString encodeName(const QString& name);

// Puts a URL inside the double-quoted part of a store query's scope: a double
// quote is percent-encoded so it cannot end the quoted URL. (Apostrophes are left
// for the caller's quoted-literal escaping.)
QString quoteUrlForScope(const QString& url);

// Doubles apostrophes, for a value inside a '...' literal of a store query.
QString quoteLiteral(const QString& value);

}  // namespace platform::store
