#include "engine/Context.h"

#if __has_include("directory/ObjectType.h")
#include "directory/ObjectType.h"
#define TAVIMOR_HAVE_OBJECT_TYPE 1
#endif

namespace engine {

bool checkRegItem(Context& ctx, const QString& mailboxDn, bool refreshTag) {
    return ctx.hooks.CheckRegItem ? ctx.hooks.CheckRegItem(mailboxDn, refreshTag) : false;
}

QString objectType(Context& ctx, const QString& address) {
    if (ctx.hooks.GetObjectType) return ctx.hooks.GetObjectType(address);
#ifdef TAVIMOR_HAVE_OBJECT_TYPE
    return directory::GetObjectType(ctx.g.strLDAPRoot, address);
#else
    return QStringLiteral("user");
#endif
}

}  // namespace engine
