#pragma once
// The error log of the main window: entries are put in front of the existing
// text, newest first. Procedures write through this interface; the window shows it.

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <functional>

namespace state {

class ErrorLog {
public:
    virtual ~ErrorLog() = default;
    virtual QString text() const = 0;
    virtual void setText(const QString& text) = 0;
    // Makes the log and its "Clear Error Log" button visible.
    virtual void show() = 0;

    // Puts one entry in front of the existing text.
    void prepend(const QString& entry) { setText(entry + text()); }

    // "[" + timestamp + "] " + context + " - ERROR: " + number + " " + description + CRLF CRLF
    void logWithContext(const QString& context, int32_t number, const QString& description);
    // "[" + timestamp + "] ERROR: " + number + " " + description + CRLF CRLF
    void logWithoutContext(int32_t number, const QString& description);
};

// The current local date and time in the system's general format: short date, a
// blank, long time. Tests may replace the clock.
QString timestamp();
void setClockForTesting(std::function<QDateTime()> clock);

QString formatEntryWithContext(const QString& stamp, const QString& context, int32_t number,
                               const QString& description);
QString formatEntryWithoutContext(const QString& stamp, int32_t number, const QString& description);

// An error log held in memory (used where no window exists, and by tests).
class MemoryErrorLog : public ErrorLog {
public:
    QString text() const override { return text_; }
    void setText(const QString& text) override { text_ = text; }
    void show() override { shown_ = true; }
    bool shown() const { return shown_; }

private:
    QString text_;
    bool shown_ = false;
};

}  // namespace state
