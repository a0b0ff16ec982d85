#include "app/InstallForm.h"
#include "app/MessageBoxPrompt.h"
#include "app/Wiring.h"
#include "platform/system/SystemProbes.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavimor"));

    const auto probes = platform::system::makeHostProbes();
    app::MessageBoxPrompt prompt;
    app::InstallForm form(*probes, prompt);
    app::wireSubsystems(form);
    form.Form_Load();
    form.show();
    return application.exec();
}
