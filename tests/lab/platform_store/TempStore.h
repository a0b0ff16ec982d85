#pragma once
// A store root in a temporary directory for the duration of a test, with the
// domain folder "tavimor.lab" and helpers for its URLs.

#include "lab/store/StoreBuilder.h"
#include "platform/store/Store.h"
#include "platform/store/StoreRoot.h"
#include "support/Thrown.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace testsupport {

// The lab's store builder, for the tests that lay out store contents.
using lab::StoreBuilder;

class TempStore {
public:
    TempStore() {
        EXPECT_TRUE(dir_.isValid());
        previous_ = qgetenv("TAVIMOR_STORE_ROOT");
        qputenv("TAVIMOR_STORE_ROOT", dir_.path().toUtf8());
        platform::store::createStore(domain());
    }
    ~TempStore() {
        if (previous_.isEmpty()) qunsetenv("TAVIMOR_STORE_ROOT");
        else qputenv("TAVIMOR_STORE_ROOT", previous_);
    }
    TempStore(const TempStore&) = delete;
    TempStore& operator=(const TempStore&) = delete;

    static QString domain() { return QStringLiteral("tavimor.lab"); }
    QString root() const { return dir_.path(); }

    static QString file(const QString& path = QString()) {
        return QStringLiteral("file://./backofficestorage/") + domain() + (path.isEmpty() ? "" : "/" + path);
    }
    static QString web(const QString& path = QString()) {
        return QStringLiteral("http://exch01.tavimor.lab/exadmin/") + domain() +
               (path.isEmpty() ? "" : "/" + path);
    }

private:
    QTemporaryDir dir_;
    QByteArray previous_;
};

// Whether the item at a URL opens.
inline bool exists(const QString& url) {
    platform::store::StoreRecord rec;
    return testing_support::errorOf([&] { rec.open(url); }) == 0;
}

}  // namespace testsupport
