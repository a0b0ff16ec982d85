#pragma once
// The Exchange store layer: connections, records and record sets over the
// embedded store (see StoreRoot.h for where stores live, StoreUrl.h for the two
// URL forms, Query.h for the query dialect, StoreErrors.h for failure numbers).

#include "platform/store/Schema.h"
#include "platform/store/StoreConnection.h"
#include "platform/store/StoreErrors.h"
#include "platform/store/StoreRecord.h"
#include "platform/store/StoreRecordset.h"
#include "platform/store/StoreRoot.h"
#include "platform/store/StoreUrl.h"
#include "platform/store/Value.h"
