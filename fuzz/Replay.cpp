// The seed corpus as a test: every fuzz target runs over each file of
// fuzz/corpus/<target>/, and a violated check or an escaping exception fails
// the test with the file's name.

#include "FuzzTarget.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>

namespace fuzzing {
namespace {

std::map<std::string, TargetFn>& targets() {
    static std::map<std::string, TargetFn> t;
    return t;
}

class Violation : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

void replay(const std::string& name, TargetFn fn) {
    const QDir dir(QStringLiteral(TAVIMOR_FUZZ_CORPUS "/") + QString::fromStdString(name));
    const QStringList files = dir.entryList(QDir::Files, QDir::Name);
    ASSERT_FALSE(files.isEmpty()) << "no seeds in " << dir.path().toStdString();
    for (const QString& file : files) {
        QFile f(dir.filePath(file));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << file.toStdString();
        const QByteArray input = f.readAll();
        try {
            fn(reinterpret_cast<const uint8_t*>(input.constData()), static_cast<size_t>(input.size()));
        } catch (const std::exception& e) {
            ADD_FAILURE() << file.toStdString() << ": " << e.what();
        } catch (...) {
            ADD_FAILURE() << file.toStdString() << ": an unknown exception escaped";
        }
    }
}

}  // namespace

bool registerTarget(const char* name, TargetFn fn) {
    targets()[name] = fn;
    return true;
}

void violated(const char* condition, const char* file, int line, const QString& detail) {
    throw Violation(std::string(file) + ":" + std::to_string(line) + ": check failed: " + condition + "; " +
                    detail.toStdString());
}

}  // namespace fuzzing

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    for (const auto& [name, fn] : fuzzing::targets())
        ::testing::RegisterTest("SeedCorpus", name.c_str(), nullptr, nullptr, __FILE__, __LINE__,
                                [name = name, fn = fn]() -> ::testing::Test* {
                                    struct Run : ::testing::Test {
                                        std::string n;
                                        fuzzing::TargetFn f;
                                        void TestBody() override { fuzzing::replay(n, f); }
                                    };
                                    auto* t = new Run;
                                    t->n = name;
                                    t->f = fn;
                                    return t;
                                });
    return RUN_ALL_TESTS();
}
