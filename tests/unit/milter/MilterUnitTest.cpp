// The milter's parts without an MTA: the bounded message buffer, the verdict on
// a delivery's reports, the delivery worker's and delivery processes' time
// limits, and the options.

#include "milter/DeliveryProcess.h"
#include "milter/DeliveryWorker.h"
#include "milter/MessageBuffer.h"
#include "milter/MilterLog.h"
#include "milter/MilterOptions.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <atomic>
#include <thread>

using namespace milter;
using namespace std::chrono_literals;

TEST(MilterBuffer, KeepsTheMessageAsSentAndAboveTheLimitItsHeadersWithANote) {
    MessageBuffer m(200);
    m.addHeader("Subject", " Folded\n\tline", true);
    m.addHeader("Content-Type", "text/html", false);
    m.addBody("<p>hi</p>\r\n", 11);
    EXPECT_EQ(m.message(), "Subject: Folded\r\n\tline\r\nContent-Type: text/html\r\n\r\n<p>hi</p>\r\n");
    EXPECT_FALSE(m.oversize());
    m.addBody(QByteArray(300, 'x').constData(), 300);
    const QByteArray cut = m.message();
    EXPECT_TRUE(m.oversize());
    EXPECT_TRUE(cut.startsWith("Subject: Folded\r\n\tline\r\nX-Tavimor-Original-Content-Type: text/html\r\n"
                               "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\nThis message was 360 bytes"));
    EXPECT_FALSE(cut.contains("xxx") || cut.contains("<p>"));
    EXPECT_EQ(envelopeAddress("<a@x>"), "a@x");
    EXPECT_EQ(envelopeAddress("<>"), "");
}

TEST(MilterVerdict, EveryReportMustBeStoredADropByTheRuleCounts) {
    storetool::SavedReport kept{"CN=J", "file://f", "file://f/1.eml", true, {}};
    storetool::SavedReport dropped{"CN=J", "file://f", "file://f/2.eml", false, "the sink cancelled the save"};
    storetool::SavedReport noFolder{"CN=K", {}, {}, false, "the journal recipient has no folder in the store"};
    EXPECT_TRUE(verdictOf({}).stored);
    const Verdict v = verdictOf({kept, dropped});
    EXPECT_TRUE(v.stored && v.kept == 1 && v.dropped == 1);
    const Verdict bad = verdictOf({kept, noFolder});
    EXPECT_FALSE(bad.stored);
    EXPECT_TRUE(bad.problem.contains("CN=K")) << bad.problem.toStdString();
}

TEST(MilterWorker, AnAnswerTooLateIsATemporaryFailureAndAQueuedMessageIsNeverDelivered) {
    std::atomic<int> made = 0, delivered = 0;
    DeliveryWorker w([&]() -> DeliveryWorker::Deliver {
        ++made;
        return [&](const storetool::RawMessage& m) {
            if (m.sender == "throws") throw std::runtime_error("store gone");
            if (m.sender == "slow") std::this_thread::sleep_for(400ms);
            ++delivered;
            return Verdict{true, {}};
        };
    }, 1);
    for (int i = 0; i < 500 && made == 0; ++i) std::this_thread::sleep_for(10ms);
    EXPECT_EQ(made, 1);  // with the worker, before any message needs it
    std::thread slow([&] { EXPECT_FALSE(w.deliver({"slow", {}, {}}, 200ms).stored); });
    std::this_thread::sleep_for(50ms);
    const Verdict queued = w.deliver({"queued", {}, {}}, 100ms);
    EXPECT_TRUE(queued.problem.contains("not delivered")) << queued.problem.toStdString();
    slow.join();
    const Verdict thrown = w.deliver({"throws", {}, {}}, 5s);
    EXPECT_EQ(thrown.problem, "store gone");
    EXPECT_TRUE(w.deliver({"fine", {}, {}}, 5s).stored);
    EXPECT_EQ(delivered, 2);  // the slow one, then "fine"; never the queued one
    EXPECT_EQ(made, 2);       // opened afresh after the failure
}

TEST(MilterOptions, DefaultsFromTheEnvironmentAndRefusals) {
    QString problem;
    qputenv("TAVIMOR_MILTER_SOCKET", "unix:/run/tavimor-milter/milter.sock");
    qputenv("TAVIMOR_MILTER_TIMEOUT", "30");
    const auto o = parseOptions({"tavimor-milter", "--on-failure", "accept"}, problem);
    ASSERT_TRUE(o) << problem.toStdString();
    EXPECT_EQ(o->socket, "unix:/run/tavimor-milter/milter.sock");
    EXPECT_TRUE(o->acceptOnFailure && o->timeoutSeconds == 30 && o->maxSizeBytes == 25 << 20 && !o->userNamed);
    EXPECT_EQ(o->workers, 1);
    EXPECT_TRUE(o->localSocket());
    qunsetenv("TAVIMOR_MILTER_SOCKET");
    qunsetenv("TAVIMOR_MILTER_TIMEOUT");
    for (const QStringList& bad : {QStringList{}, {"-p", "10025"}, {"-p", "inet:1@h", "--timeout", "300"},
                                   {"-p", "inet:1@h", "--max-size", "0"}, {"-p", "inet:1@h", "--on-failure", "drop"}}) {
        problem.clear();
        EXPECT_FALSE(parseOptions(QStringList{"tavimor-milter"} + bad, problem)) << bad.join(' ').toStdString();
        EXPECT_FALSE(problem.isEmpty());
    }
    EXPECT_EQ(escaped("a\r\nb\\c\x1b"), "a\\x0d\\x0ab\\\\c\\x1b");
}

TEST(MilterDeliveryProcess, OneThatDoesNotAnswerInTimeOrEndsIsAFailureNotAWait) {
    QTemporaryDir dir;
    const struct { const char* script; const char* problem; } cases[] = {
        {"#!/bin/sh\nexec sleep 30\n", "did not answer in time"},
        {"#!/bin/sh\nexit 0\n", "ended"},
    };
    for (const auto& c : cases) {
        QFile f(dir.filePath("child"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(c.script);
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const auto started = std::chrono::steady_clock::now();
        Delivery d;
        const Verdict v = attempt(d, deliveryProcesses(f.fileName(), 300ms), {"a@x", {"b@x"}, "Subject: x\r\n\r\nx\r\n"});
        EXPECT_TRUE(v.problem.contains(c.problem)) << v.problem.toStdString();
        EXPECT_LT(std::chrono::steady_clock::now() - started, 3s);  // the process was ended, not waited for
    }
}
