#include "app/InstallForm.h"
#include "app/MessageBoxPrompt.h"
#include "app/Wiring.h"
#include "platform/system/SystemProbes.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavimor"));
    // The desktop entry and icon the package installs, for the task bar and the window.
    QGuiApplication::setDesktopFileName(QStringLiteral("tavimor"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("tavimor")));

    const auto probes = platform::system::makeHostProbes();
    app::MessageBoxPrompt prompt;
    app::InstallForm form(*probes, prompt);
    app::wireSubsystems(form);
    form.Form_Load();
    form.show();
    return application.exec();
}
