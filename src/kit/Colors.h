#pragma once
// Controls carry a fore and back colour as state: 255 (red) marks a staged change,
// 0 is black, kButtonFace and kGrayText are the system colours. The value is kept
// on the widget (so the change engine can test it) and shown through its palette.

#include <QColor>
#include <QPalette>
#include <QVariant>
#include <QStyle>
#include <QWidget>
#include <cstdint>

namespace kit {

constexpr uint32_t kRed = 255;                 // 0x00BBGGRR
constexpr uint32_t kBlack = 0;
constexpr uint32_t kButtonFace = 0x8000000F;   // system button face
constexpr uint32_t kGrayText = 0x80000011;     // system grey text

// The colour a value stands for on screen.
inline QColor toQColor(uint32_t value, const QPalette& palette) {
    if (value == kButtonFace) return palette.color(QPalette::Button);
    if (value == kGrayText) return palette.color(QPalette::Disabled, QPalette::Text);
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

inline uint32_t foreColor(const QWidget* w) {
    const QVariant v = w->property("foreColor");
    return v.isValid() ? v.toUInt() : kBlack;
}
inline uint32_t backColor(const QWidget* w) {
    const QVariant v = w->property("backColor");
    return v.isValid() ? v.toUInt() : kButtonFace;
}

inline void applyColors(QWidget* w) {
    QPalette p = w->palette();
    const QPalette base = w->style() ? w->style()->standardPalette() : QPalette();
    const QColor fg = toQColor(foreColor(w), base);
    const QColor bg = toQColor(backColor(w), base);
    p.setColor(QPalette::WindowText, fg);
    p.setColor(QPalette::ButtonText, fg);
    p.setColor(QPalette::Text, fg);
    p.setColor(QPalette::Window, bg);
    w->setAutoFillBackground(backColor(w) != kButtonFace);
    w->setPalette(p);
}

inline void setForeColor(QWidget* w, uint32_t value) {
    w->setProperty("foreColor", QVariant::fromValue<uint>(value));
    applyColors(w);
}
inline void setBackColor(QWidget* w, uint32_t value) {
    w->setProperty("backColor", QVariant::fromValue<uint>(value));
    applyColors(w);
}

}  // namespace kit
