// Test entry point for areas without widgets: a core application object, so
// code that uses Qt's event machinery runs as it does in the program.
#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Tests find what the build made (the sink library, tools) through this.
    if (qEnvironmentVariableIsEmpty("TAVIMOR_BUILD_DIR")) qputenv("TAVIMOR_BUILD_DIR", TAVIMOR_BUILD_DIR);
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
