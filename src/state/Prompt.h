#pragma once
// Every message box of the program goes through one prompt, so tests can answer it.

#include <QString>
#include <functional>
#include <vector>

namespace state {

// Message-box styles and answers, with the values the program's texts use.
namespace mb {
constexpr int OkOnly = 0;
constexpr int OkCancel = 1;
constexpr int YesNo = 4;
constexpr int Critical = 16;     // stop icon
constexpr int Exclamation = 48;
constexpr int DefaultButton2 = 256;
constexpr int Ok = 1;
constexpr int Cancel = 2;
constexpr int Yes = 6;
constexpr int No = 7;
}  // namespace mb

class Prompt {
public:
    virtual ~Prompt() = default;
    // Shows a message box titled `title`; answers the button pressed.
    virtual int ask(const QString& text, int style, const QString& title) = 0;
};

// A prompt that records the questions and answers from a script (tests, or runs
// without a display).
class ScriptedPrompt : public Prompt {
public:
    struct Asked {
        QString text;
        int style;
        QString title;
    };
    int ask(const QString& text, int style, const QString& title) override {
        asked.push_back({text, style, title});
        if (!answers.empty()) {
            int a = answers.front();
            answers.erase(answers.begin());
            return a;
        }
        return defaultAnswer;
    }
    std::vector<Asked> asked;
    std::vector<int> answers;
    int defaultAnswer = mb::Ok;
};

}  // namespace state
