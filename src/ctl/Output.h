#pragma once
// What the read commands print: plain text for people, --json and --csv for
// scripts. The JSON shapes are stable (documented in tavimorctl(1)); keys come
// in alphabetical order, and a field that is not set is null, never left out.

#include "ctl/StoreView.h"
#include "panel/PanelModel.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

namespace ctl {

enum class Format { Text, Json, Csv };

// One user excluded from journaling in some direction, with where it is homed.
struct ReportRow {
    panel::UserRow user;
    QString server;
    QString group;
    QString store;
    QString storeDn;
};

// A field of a CSV line: quoted when it holds a comma, a quote or a line end.
QString csvField(const QString& value);
QString csvLine(const QStringList& fields);
QString onOff(bool on);

QJsonObject storeJson(const StoreView& store);
QString storesText(const QString& server, const QList<StoreView>& stores, Format format);
QString usersText(const StoreView& store, const std::vector<const panel::UserRow*>& users, Format format);
QString reportText(const QList<ReportRow>& rows, Format format);

}  // namespace ctl
