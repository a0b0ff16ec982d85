// A registration write that dies halfway leaves the store with the old item or
// the new one, never a mix: a child process writes the item and is killed with
// SIGKILL after each single field write in turn.

#include "lab/store/RegistrationFixture.h"
#include "platform/store/TestHooks.h"
#include "store/Items.h"

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace testsupport;
using namespace platform::store;

namespace {

class CrashTest : public RegistrationFixture {
protected:
    void SetUp() override {
        StoreBuilder b(TempStore::domain());
        b.ensureMailbox("jarchive");
        b.commit();
    }
    QString write(const QString& forwarding, bool both) {
        return store::WriteRegItem(ctx(), TempStore::web("mbx/jarchive"), "inbox", "Tavimor", "onsyncsave",
                                   "Tavimor.TavimorCls", "SHALLOW", " WHERE \"DAV:ishidden\" = FALSE", "1", false,
                                   forwarding, both);
    }
    QString reg() const { return TempStore::file("mbx/jarchive/Inbox/Tavimor.reg"); }

    // Runs the new write in a child and kills it after `fieldsWritten` field
    // writes; answers how many writes the child reported.
    int writeAndKillAfter(int fieldsWritten) {
        int toParent[2];
        if (pipe(toParent) != 0) return -1;
        const pid_t pid = fork();
        if (pid == 0) {
            close(toParent[0]);
            int written = 0;
            platform::store::testing::setFieldWriteHook([&](const QString&) {
                const char c = 'w';
                if (::write(toParent[1], &c, 1) != 1) _exit(3);
                if (++written == fieldsWritten) {
                    for (;;) pause();  // wait to be killed mid-transaction
                }
            });
            const QString result = write("New <new@x>", true);
            _exit(result.isEmpty() ? 2 : 0);
        }
        close(toParent[1]);
        int seen = 0;
        char c;
        while (seen < fieldsWritten && read(toParent[0], &c, 1) == 1) ++seen;
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        close(toParent[0]);
        EXPECT_TRUE(WIFSIGNALED(status)) << "the child finished before it was killed";
        return seen;
    }
};

}  // namespace

TEST_F(CrashTest, KilledWriterLeavesTheOldItemWhole) {
    ASSERT_FALSE(write("Old <old@x>", false).isEmpty());
    ASSERT_EQ(storedFields(reg()), registration("Old <old@x>"));
    const int fields = 9;  // seven fixed properties and both forwarding settings
    for (int k = 1; k <= fields; ++k) {
        ASSERT_EQ(writeAndKillAfter(k), k);
        EXPECT_EQ(storedFields(reg()), registration("Old <old@x>")) << "killed after field " << k;
    }
    // The store is still usable, and a write that completes replaces the item whole.
    ASSERT_FALSE(write("New <new@x>", true).isEmpty());
    EXPECT_EQ(storedFields(reg()), registration("New <new@x>", true));
}

TEST_F(CrashTest, KilledFirstWriteLeavesNoItem) {
    ASSERT_EQ(writeAndKillAfter(4), 4);
    EXPECT_FALSE(exists(reg()));
}
