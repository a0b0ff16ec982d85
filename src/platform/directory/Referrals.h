#pragma once
// Continuation references of a search, followed as a Windows client follows
// them, within this forest only.

#include "platform/directory/Directory.h"

#include <QSet>
#include <QStringList>
#include <vector>

namespace platform::directory {

class Session;

// Searches the naming contexts the references name and appends their rows.
// `visited` holds the bases already searched (lower case); `depth` starts at 1.
void followReferences(Session& origin, const QStringList& references, const QString& filter,
                      const QStringList& attrs, const SearchLimits& limits, std::vector<Row>& rows,
                      QSet<QString>& visited, int depth);

}  // namespace platform::directory
