// Store-tree nodes: what counts as a store, journal counting over the tree, and
// the selection rules of clicks on other nodes.
#include "directory/tree/Node.h"
#include "engine/StoreTree.h"
#include "engine/Directory.h"
#include "engine_form.h"

#include <gtest/gtest.h>

using testing_support::EngineForm;

namespace {

// A node's kind and a store's settings are values of the node: no picture and
// no tag text is read back for them.
TEST(TreeNodes, KindFollowsWhereANodeWasAddedWhateverItsPicture) {
    EngineForm f;
    QTreeWidgetItem* node = f.addStore("S", "CN=S", "CN=J" + QString(QChar(0)) + "Fwd <f@x>");
    QTreeWidgetItem* child = tree::addChild(node, {}, "Journal", "mailboxstore");
    for (const char* img : {"mailboxstore", "user", "storagegroup", ""}) {
        tree::setImage(node, img);
        tree::setImage(f.group, img);
        EXPECT_TRUE(tree::isMailboxStore(node)) << img;
        EXPECT_FALSE(tree::isMailboxStore(f.group)) << img;
    }
    EXPECT_EQ(tree::kind(f.group), tree::NodeKind::StorageGroup);
    EXPECT_EQ(tree::kind(child), tree::NodeKind::Recipient);
    EXPECT_FALSE(tree::isMailboxStore(nullptr));
    const tree::StoreSettings s = tree::settings(node);
    EXPECT_EQ(s.journal, "CN=J");
    EXPECT_EQ(s.forwarding, "Fwd <f@x>");
    EXPECT_FALSE(s.both);
}

TEST(StoreTreeEvents, ClickOnANodeThatIsNoStoreKeepsTheLastStoreSelected) {
    EngineForm f;
    QTreeWidgetItem* store = f.addStore("A", "CN=A", "");
    QTreeWidgetItem* child = tree::addChild(store, {}, "Journal", "user");
    f.panel.setBoth(true);

    f.ui.TreeView1->setCurrentItem(child);
    tree::NodeClick(f.load, child);
    EXPECT_EQ(f.ui.TreeView1->currentItem(), store);
    EXPECT_FALSE(child->isSelected());
    tree::NodeClick(f.load, f.group);
    EXPECT_EQ(f.ui.TreeView1->currentItem(), store);
    // nothing was loaded: staged edits survive
    EXPECT_TRUE(f.panel.anyStaged());

    f.ui.TreeView1->setCurrentItem(f.group);
    tree::NodeCollapseOrExpand(f.load, f.group);
    EXPECT_EQ(f.ui.TreeView1->currentItem(), store);
}
}  // namespace
