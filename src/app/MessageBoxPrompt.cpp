#include "app/MessageBoxPrompt.h"

#include <QMessageBox>
#include <QPushButton>

namespace app {

int MessageBoxPrompt::ask(const QString& text, int style, const QString& title) {
    QMessageBox box(parent_);
    box.setWindowTitle(title);
    box.setText(text);

    const int buttons = style & 0x0F;
    const int icon = style & 0x70;
    const bool secondDefault = (style & state::mb::DefaultButton2) != 0;

    if (icon == state::mb::Critical)
        box.setIcon(QMessageBox::Critical);
    else if (icon == state::mb::Exclamation)
        box.setIcon(QMessageBox::Warning);
    else if (icon == 32)
        box.setIcon(QMessageBox::Question);
    else if (icon == 64)
        box.setIcon(QMessageBox::Information);

    QPushButton* first = nullptr;
    QPushButton* second = nullptr;
    int firstAnswer = state::mb::Ok, secondAnswer = state::mb::Ok;
    if (buttons == state::mb::YesNo) {
        first = box.addButton(QMessageBox::Yes);
        second = box.addButton(QMessageBox::No);
        firstAnswer = state::mb::Yes;
        secondAnswer = state::mb::No;
    } else if (buttons == state::mb::OkCancel) {
        first = box.addButton(QMessageBox::Ok);
        second = box.addButton(QMessageBox::Cancel);
        firstAnswer = state::mb::Ok;
        secondAnswer = state::mb::Cancel;
    } else {
        first = box.addButton(QMessageBox::Ok);
    }
    if (secondDefault && second)
        box.setDefaultButton(second);
    else
        box.setDefaultButton(first);
    if (second) box.setEscapeButton(second);

    box.exec();
    if (second && box.clickedButton() == second) return secondAnswer;
    if (box.clickedButton() == first) return firstAnswer;
    // Closed without a button: the escape answer when there is one.
    return second ? secondAnswer : firstAnswer;
}

}  // namespace app
