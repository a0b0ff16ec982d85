// Store-tree nodes: what counts as a store, journal counting over the tree, and
// the selection rules of clicks on other nodes.
#include "directory/tree/Node.h"
#include "engine/StoreTree.h"
#include "engine/Directory.h"
#include "engine_form.h"

#include <gtest/gtest.h>

using testing_support::EngineForm;

namespace {

TEST(TreeNodes, StoreIsRecognisedByTheFirstTwelveCharactersOfItsImage) {
    EngineForm f;
    QTreeWidgetItem* node = f.addStore("S", "CN=S", "");
    for (const char* img : {"mailboxstore", "mailboxstoreFullJournaling", "MAILBOXSTORETavimor"}) {
        tree::setImage(node, img);
        EXPECT_TRUE(tree::isMailboxStore(node)) << img;
    }
    for (const char* img : {"storagegroup", "user", "usergray", "mailboxstor", ""}) {
        tree::setImage(node, img);
        EXPECT_FALSE(tree::isMailboxStore(node)) << img;
    }
    EXPECT_FALSE(tree::isMailboxStore(nullptr));
}

TEST(StoreTreeEvents, ClickOnANodeThatIsNoStoreKeepsTheLastStoreSelected) {
    EngineForm f;
    QTreeWidgetItem* store = f.addStore("A", "CN=A", "");
    QTreeWidgetItem* child = tree::addChild(store, {}, "Journal", "user");
    f.g.blnChangesPending = true;

    f.ui.TreeView1->setCurrentItem(child);
    tree::NodeClick(f.load, child);
    EXPECT_EQ(f.ui.TreeView1->currentItem(), store);
    EXPECT_FALSE(child->isSelected());
    tree::NodeClick(f.load, f.group);
    EXPECT_EQ(f.ui.TreeView1->currentItem(), store);
    // nothing was loaded: staged edits survive
    EXPECT_TRUE(f.g.blnChangesPending);

    f.ui.TreeView1->setCurrentItem(f.group);
    tree::NodeCollapseOrExpand(f.load, f.group);
    EXPECT_EQ(f.ui.TreeView1->currentItem(), store);
}
}  // namespace
