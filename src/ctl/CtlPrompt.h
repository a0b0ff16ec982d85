#pragma once
// The program's questions answered without a window: the sharing question from
// --shared keep|replace, every other message recorded for stderr. A question
// nobody answered is a refusal: it is recorded and answered with the choice
// that changes nothing.

#include "state/Prompt.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace ctl {

class CtlPrompt : public state::Prompt {
public:
    enum class Shared { Keep, Replace };

    void setShared(std::optional<Shared> answer) { shared_ = answer; }
    const std::optional<Shared>& shared() const { return shared_; }

    int ask(const QString& text, int style, const QString& title) override;

    // Messages shown (one line each), and the questions refused.
    const QStringList& messages() const { return messages_; }
    const QStringList& refusals() const { return refusals_; }

private:
    std::optional<Shared> shared_;
    QStringList messages_;
    QStringList refusals_;
};

// A message box text on one line (its line breaks as blanks).
QString oneLine(const QString& text);

}  // namespace ctl
