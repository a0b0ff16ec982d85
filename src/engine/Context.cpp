#include "engine/Context.h"

#include "directory/ObjectType.h"

namespace engine {

bool checkRegItem(Context& ctx, const QString& mailboxDn, bool refreshTag) {
    return ctx.hooks.CheckRegItem ? ctx.hooks.CheckRegItem(mailboxDn, refreshTag) : false;
}

QString objectType(Context& ctx, const QString& address) {
    if (ctx.hooks.GetObjectType) return ctx.hooks.GetObjectType(address);
    return directory::GetObjectType(ctx.g.strLDAPRoot, address);
}

}  // namespace engine
