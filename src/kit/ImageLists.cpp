#include "kit/ImageLists.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

// Small pictures drawn in code on a 16 x 16 grid (and at twice the size for dense
// screens), so tree and list read at a glance without shipping image files.

namespace kit::images {
namespace {

using Draw = std::function<void(QPainter&)>;

const QColor kInk(0x33, 0x33, 0x33);
const QColor kBoxFill(0xFF, 0xFF, 0xFF);
const QColor kTick(0x1E, 0x7B, 0x1E);
const QColor kGrey(0x9A, 0x9A, 0x9A);
const QColor kLightGrey(0xE4, 0xE4, 0xE4);

QIcon render(const Draw& draw, int w = 16, int h = 16) {
    QIcon icon;
    for (int scale : {1, 2}) {
        QPixmap pm(w * scale, h * scale);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.scale(scale, scale);
        draw(p);
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

// ---- check boxes -----------------------------------------------------------

void checkBox(QPainter& p, const QColor& border, const QColor& fill) {
    p.setPen(QPen(border, 1.0));
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(2.5, 2.5, 11, 11), 1.5, 1.5);
}

// A check mark through three points.
void checkMark(QPainter& p, const QColor& color, qreal width, QPointF a, QPointF b, QPointF c) {
    p.setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    QPainterPath path;
    path.moveTo(a);
    path.lineTo(b);
    path.lineTo(c);
    p.drawPath(path);
}

void tick(QPainter& p, const QColor& color) { checkMark(p, color, 2.0, {4.8, 8.2}, {7.0, 10.6}, {11.4, 5.2}); }

// ---- stores ----------------------------------------------------------------

// A database cylinder with its top-left at (x, y).
void cylinder(QPainter& p, double x, double y, double w, double h, const QColor& body) {
    const double capH = h * 0.3;
    QPainterPath side;
    side.moveTo(x, y + capH / 2);
    side.lineTo(x, y + h - capH / 2);
    side.arcTo(QRectF(x, y + h - capH, w, capH), 180, 180);
    side.lineTo(x + w, y + capH / 2);
    side.arcTo(QRectF(x, y, w, capH), 0, -180);
    p.setPen(QPen(body.darker(170), 0.9));
    p.setBrush(body);
    p.drawPath(side);
    p.setBrush(body.lighter(135));
    p.drawEllipse(QRectF(x, y, w, capH));
}

void storeCylinder(QPainter& p) { cylinder(p, 1.5, 1.0, 11, 13.5, QColor(0x5B, 0x8F, 0xC9)); }

// A round badge in the lower right corner.
void badge(QPainter& p, const QColor& color) {
    p.setPen(QPen(Qt::white, 1.2));
    p.setBrush(color);
    p.drawEllipse(QRectF(7.2, 7.2, 8.6, 8.6));
}

void fullJournalingBadge(QPainter& p) {
    badge(p, QColor(0xE0, 0x7B, 0x00));
    // "everything": three white lines, like a page of a journal
    p.setPen(QPen(Qt::white, 1.0, Qt::SolidLine, Qt::FlatCap));
    for (double y : {9.8, 11.5, 13.2}) p.drawLine(QPointF(9.4, y), QPointF(13.6, y));
}

void tavimorBadge(QPainter& p) {
    badge(p, QColor(0x1E, 0x9E, 0x3A));
    checkMark(p, Qt::white, 1.5, {9.3, 11.6}, {10.9, 13.2}, {13.8, 9.6});
}

// ---- recipients ------------------------------------------------------------

void person(QPainter& p, double x, double y, double s, const QColor& head, const QColor& body) {
    p.setPen(QPen(body.darker(160), 0.8));
    p.setBrush(body);
    QPainterPath shoulders;
    shoulders.moveTo(x + 1.0 * s, y + 14.5 * s);
    shoulders.cubicTo(x + 1.0 * s, y + 9.0 * s, x + 11.0 * s, y + 9.0 * s, x + 11.0 * s, y + 14.5 * s);
    shoulders.closeSubpath();
    p.drawPath(shoulders);
    p.setPen(QPen(head.darker(150), 0.8));
    p.setBrush(head);
    p.drawEllipse(QRectF(x + 3.3 * s, y + 2.0 * s, 5.4 * s, 6.2 * s));
}

const QColor kSkin(0xF2, 0xC2, 0x90);
const QColor kShirt(0x2F, 0x6D, 0xB5);

void user(QPainter& p) { person(p, 1, 0.5, 1.0, kSkin, kShirt); }
void userGray(QPainter& p) { person(p, 1, 0.5, 1.0, QColor(0xD0, 0xD0, 0xD0), kGrey); }

void redCross(QPainter& p) {
    QPen pen(QColor(0xD0, 0x10, 0x10), 2.2, Qt::SolidLine, Qt::RoundCap);
    p.setPen(pen);
    p.drawLine(QPointF(9.5, 9.5), QPointF(14.5, 14.5));
    p.drawLine(QPointF(14.5, 9.5), QPointF(9.5, 14.5));
}

// An arrow pointing right, ending at (x1, y).
void arrow(QPainter& p, double x0, double x1, double y, const QColor& color) {
    p.setPen(QPen(color, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(x0, y), QPointF(x1, y));
    QPainterPath head;
    head.moveTo(x1 - 2.4, y - 2.4);
    head.lineTo(x1, y);
    head.lineTo(x1 - 2.4, y + 2.4);
    p.drawPath(head);
}

const QColor kArrow(0x0E, 0x8A, 0x3C);

void userFwd(QPainter& p) {
    person(p, -0.5, 0.5, 0.9, kSkin, kShirt);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(7.6, 8.6, 8.2, 6.8), 1.5, 1.5);
    arrow(p, 8.6, 15.0, 12.0, kArrow);
}

void userFwdBoth(QPainter& p) {
    person(p, -0.5, 0.5, 0.9, kSkin, kShirt);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(7.6, 6.6, 8.2, 9.2), 1.5, 1.5);
    // a forked arrow: the message goes on and is also kept
    arrow(p, 8.6, 15.0, 9.2, kArrow);
    arrow(p, 8.6, 15.0, 13.6, QColor(0xE0, 0x7B, 0x00));
}

void group(QPainter& p) {
    person(p, 4.2, -0.5, 0.85, QColor(0xE6, 0xB3, 0x80), QColor(0x7A, 0x4F, 0xB0));
    person(p, -0.2, 2.0, 0.9, kSkin, kShirt);
}

void contact(QPainter& p) {
    p.setPen(QPen(QColor(0x8A, 0x6D, 0x3B), 0.9));
    p.setBrush(QColor(0xFF, 0xF4, 0xD6));
    p.drawRoundedRect(QRectF(1.5, 3.0, 13.0, 10.5), 1.5, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(kShirt);
    p.drawEllipse(QRectF(3.2, 5.0, 3.6, 3.6));
    p.drawRoundedRect(QRectF(2.6, 8.8, 4.8, 3.0), 1.2, 1.2);
    p.setPen(QPen(kInk, 0.9, Qt::SolidLine, Qt::FlatCap));
    for (double y : {6.0, 8.5, 11.0}) p.drawLine(QPointF(8.6, y), QPointF(12.8, y));
}

void publicFolder(QPainter& p) {
    const QColor folder(0xF0, 0xC0, 0x40);
    p.setPen(QPen(folder.darker(150), 0.9));
    p.setBrush(folder.darker(110));
    QPainterPath back;
    back.moveTo(1.5, 3.5);
    back.lineTo(6.0, 3.5);
    back.lineTo(7.3, 5.0);
    back.lineTo(14.5, 5.0);
    back.lineTo(14.5, 13.5);
    back.lineTo(1.5, 13.5);
    back.closeSubpath();
    p.drawPath(back);
    p.setBrush(folder);
    p.drawRect(QRectF(1.5, 6.5, 13.0, 7.0));
    // globe: shared with everyone
    p.setPen(QPen(QColor(0x1F, 0x5F, 0xA8), 0.8));
    p.setBrush(QColor(0x7E, 0xB6, 0xEA));
    p.drawEllipse(QRectF(8.6, 8.6, 6.6, 6.6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(10.6, 8.6, 2.6, 6.6));
    p.drawLine(QPointF(8.6, 11.9), QPointF(15.2, 11.9));
}

void sortTriangle(QPainter& p, bool up) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x60, 0x60, 0x60));
    QPolygonF tri;
    if (up)
        tri << QPointF(4, 0.5) << QPointF(7.5, 6.5) << QPointF(0.5, 6.5);
    else
        tri << QPointF(0.5, 0.5) << QPointF(7.5, 0.5) << QPointF(4, 6.5);
    p.drawPolygon(tri);
}

const QHash<QString, Draw>& drawings() {
    static const QHash<QString, Draw> d = {
        {QStringLiteral("checked"), [](QPainter& p) { checkBox(p, kInk, kBoxFill); tick(p, kTick); }},
        {QStringLiteral("checkeddisabled"),
         [](QPainter& p) { checkBox(p, kGrey, kLightGrey); tick(p, kGrey); }},
        {QStringLiteral("unchecked"), [](QPainter& p) { checkBox(p, kInk, kBoxFill); }},
        {QStringLiteral("storagegroup"),
         [](QPainter& p) {
             cylinder(p, 0.5, 4.0, 8.5, 11.0, QColor(0xC9, 0x9A, 0x3B));
             cylinder(p, 7.0, 1.0, 8.5, 11.0, QColor(0xD9, 0xAE, 0x52));
         }},
        {QStringLiteral("mailboxstore"), [](QPainter& p) { storeCylinder(p); }},
        {QStringLiteral("mailboxstoreFullJournaling"),
         [](QPainter& p) { storeCylinder(p); fullJournalingBadge(p); }},
        {QStringLiteral("mailboxstoreTavimor"), [](QPainter& p) { storeCylinder(p); tavimorBadge(p); }},
        {QStringLiteral("user"), user},
        {QStringLiteral("usergray"), userGray},
        {QStringLiteral("userdisabled"), [](QPainter& p) { userGray(p); redCross(p); }},
        {QStringLiteral("userfwd"), userFwd},
        {QStringLiteral("userfwdboth"), userFwdBoth},
        {QStringLiteral("group"), group},
        {QStringLiteral("contact"), contact},
        {QStringLiteral("pf"), publicFolder},
    };
    return d;
}

}  // namespace

const QStringList& imageList2Keys() {
    static const QStringList keys = {
        QStringLiteral("checked"),      QStringLiteral("checkeddisabled"),
        QStringLiteral("unchecked"),    QStringLiteral("storagegroup"),
        QStringLiteral("mailboxstore"), QStringLiteral("mailboxstoreFullJournaling"),
        QStringLiteral("mailboxstoreTavimor"), QStringLiteral("user"),
        QStringLiteral("usergray"),     QStringLiteral("userdisabled"),
        QStringLiteral("userfwd"),      QStringLiteral("userfwdboth"),
        QStringLiteral("group"),        QStringLiteral("contact")};
    return keys;
}

QIcon icon(const QString& key) {
    static QHash<QString, QIcon> cache;
    const auto cached = cache.constFind(key);
    if (cached != cache.constEnd()) return *cached;
    const auto it = drawings().constFind(key);
    if (it == drawings().constEnd()) return QIcon();
    const QIcon made = render(*it);
    cache.insert(key, made);
    return made;
}

QIcon sortArrow(int index) {
    if (index != 0 && index != 1) return QIcon();
    static QIcon arrows[2];
    if (arrows[index].isNull())
        arrows[index] = render([index](QPainter& p) { sortTriangle(p, index == 0); }, 8, 7);
    return arrows[index];
}

}  // namespace kit::images
