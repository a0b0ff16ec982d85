#pragma once
// ProcessMailboxStore: loads a mailbox store's state into its tree node (image,
// child nodes, tag) and, when asked, into the panel and the user list. When
// changes are staged, they are written first (Hooks::ApplyStagedChanges).

#include <cstdint>

class QTreeWidgetItem;

namespace engine {

struct Context;

// Mode labels of the frame caption.
inline constexpr const char* kModeTavimor = " - Tavimor";
inline constexpr const char* kModeFull = " - Full journaling";
inline constexpr const char* kModeDisabled = " - Journaling disabled";

// `node` is a mailbox-store node; with `blnShowInPanel` it becomes the loaded
// store of the panel model (staged edits are written first only when it already
// is). Answers -1 when nothing could be done (no node, a node that is not a
// store, or the apply refused to start), otherwise 1 or the apply's result.
// Errors of single steps are skipped; a load overtaken while the window
// processed messages stops before it touches a node, tag or the panel again. The
// run always ends with the window's events enabled again.
int16_t ProcessMailboxStore(Context& ctx, QTreeWidgetItem* node, bool blnShowInPanel);

}  // namespace engine
