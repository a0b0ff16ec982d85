// The store tool as a mail transfer agent runs it and as an archive tool reads
// its output: real messages on standard input, exit codes, the export.

#include "lab/storetool/JournalingFixture.h"
#include "platform/store/TestHooks.h"

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A delivery killed while the store writes the report's properties leaves no
// report behind, not even an empty item.
TEST_F(Journaling, AReportKilledHalfwayLeavesNothing) {
    const QString folder = inbox("marker.none");
    const qsizetype before = storetool::listFolder(folder).size();
    int toParent[2];
    ASSERT_EQ(pipe(toParent), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        close(toParent[0]);
        ps::testing::setFieldWriteHook([&](const QString&) {
            if (::write(toParent[1], "w", 1) != 1) _exit(3);
            for (;;) pause();
        });
        storetool::Deliverer(*env).saveInto(folder, "marker.none@tavimor.lab", {parties[0], "x", "<x@x>", {"a@x"}, {}, {}},
                                            "Subject: x\r\n\r\nx\r\n");
        _exit(2);
    }
    close(toParent[1]);
    char c = 0;
    ASSERT_EQ(read(toParent[0], &c, 1), 1);
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    close(toParent[0]);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(storetool::listFolder(folder).size(), before);
}

}  // namespace
