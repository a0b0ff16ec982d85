// Test entry point for areas with widgets: a real application object on the
// offscreen platform unless a display is asked for.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Tests find what the build made (the sink library, tools) through this.
    if (qEnvironmentVariableIsEmpty("TAVIMOR_BUILD_DIR")) qputenv("TAVIMOR_BUILD_DIR", TAVIMOR_BUILD_DIR);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
