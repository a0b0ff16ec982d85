#pragma once
// Failures of the platform layers carry a signed 32-bit number and a description,
// the way the administrator sees them in the error log.

#include <QString>
#include <cstdint>
#include <exception>
#include <string>
#include <utility>

namespace platform {

// Numbers the program tests for, and the common ones the layers produce.
namespace hr {
constexpr int32_t AccessDenied = static_cast<int32_t>(0x80070005);     // E_ACCESSDENIED
constexpr int32_t Fail = static_cast<int32_t>(0x80004005);             // E_FAIL
constexpr int32_t InvalidArg = static_cast<int32_t>(0x80070057);       // E_INVALIDARG
constexpr int32_t CommandError = static_cast<int32_t>(0x80040E14);     // errors in a command text
constexpr int32_t NotOpen = static_cast<int32_t>(0x800A0E78);          // object is closed
constexpr int32_t NoSuchObject = static_cast<int32_t>(0x80072030);     // directory object absent
constexpr int32_t ServerDown = static_cast<int32_t>(0x8007203A);       // directory unreachable
constexpr int32_t StorageGroupUnavailable = static_cast<int32_t>(0xC1032221);
constexpr int32_t FileNotFound = static_cast<int32_t>(0x80070002);
constexpr int32_t ItemNotFound = static_cast<int32_t>(0x80040E19);     // store record absent
}  // namespace hr

class ComError : public std::exception {
public:
    ComError(int32_t number, QString description)
        : number_(number), description_(std::move(description)),
          what_(description_.toStdString()) {}

    int32_t number() const noexcept { return number_; }
    const QString& description() const noexcept { return description_; }
    const char* what() const noexcept override { return what_.c_str(); }

private:
    int32_t number_;
    QString description_;
    std::string what_;
};

// The number as text in hexadecimal, upper case, without prefix ("C1032221").
inline QString hexNumber(int32_t number) {
    return QString::number(static_cast<uint32_t>(number), 16).toUpper();
}

// Runs statements with errors ignored one by one, remembering the last failure
// (the number stays 0 while nothing failed).
class ResumeNext {
public:
    template <typename F>
    bool operator()(F&& statement) noexcept {
        try {
            statement();
            return true;
        } catch (const ComError& e) {
            number_ = e.number();
            description_ = e.description();
        } catch (const std::exception& e) {
            number_ = hr::Fail;
            description_ = QString::fromUtf8(e.what());
        } catch (...) {
            number_ = hr::Fail;
            description_ = QStringLiteral("Unspecified error");
        }
        return false;
    }

    int32_t number() const noexcept { return number_; }
    const QString& description() const noexcept { return description_; }
    void clear() noexcept { number_ = 0; description_.clear(); }

private:
    int32_t number_ = 0;
    QString description_;
};

}  // namespace platform
