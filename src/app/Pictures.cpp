#include "app/Pictures.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace ferrolux {
namespace {

constexpr QColor steelBlue{0x1f, 0x4e, 0x79};
constexpr QColor rust{0xc0, 0x50, 0x1e};

// A page with lines of text, inside rect.
void drawPage(QPainter& p, const QRectF& rect) {
    const qreal fold = rect.width() * 0.28;
    QPainterPath page;
    page.moveTo(rect.topLeft());
    page.lineTo(rect.right() - fold, rect.top());
    page.lineTo(rect.right(), rect.top() + fold);
    page.lineTo(rect.bottomRight());
    page.lineTo(rect.bottomLeft());
    page.closeSubpath();
    p.setPen(QPen(QColor(0x60, 0x6a, 0x78), rect.width() * 0.04));
    p.setBrush(QColor(0xfb, 0xfc, 0xfe));
    p.drawPath(page);
    p.setPen(QPen(QColor(0x9a, 0xa8, 0xba), rect.height() * 0.045, Qt::SolidLine, Qt::RoundCap));
    const qreal left = rect.left() + rect.width() * 0.15;
    for (int i = 0; i < 5; ++i) {
        const qreal y = rect.top() + rect.height() * (0.32 + 0.13 * i);
        const qreal right = rect.right() - rect.width() * (i % 2 ? 0.3 : 0.15);
        p.drawLine(QPointF(left, y), QPointF(right, y));
    }
}

// A magnifying glass whose lens has the given centre and radius.
void drawMagnifier(QPainter& p, QPointF centre, qreal radius) {
    const qreal rim = radius * 0.28;
    const QPointF handleStart = centre + QPointF(radius * 0.75, radius * 0.75);
    const QPointF handleEnd = centre + QPointF(radius * 1.85, radius * 1.85);
    p.setPen(QPen(steelBlue.darker(130), rim * 1.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(handleStart, handleEnd);
    QRadialGradient glass(centre - QPointF(radius * 0.3, radius * 0.3), radius * 1.2);
    glass.setColorAt(0, QColor(255, 255, 255, 220));
    glass.setColorAt(1, QColor(0xa8, 0xd0, 0xf0, 170));
    p.setBrush(glass);
    p.setPen(QPen(steelBlue, rim));
    p.drawEllipse(centre, radius, radius);
    p.setPen(QPen(rust, rim * 0.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre + QPointF(-radius * 0.5, radius * 0.05),
               centre + QPointF(radius * 0.45, radius * 0.05));
}

QPixmap glyph(void (*draw)(QPainter&, qreal), int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p, size);
    return pixmap;
}

void drawSearch(QPainter& p, qreal s) {
    drawPage(p, QRectF(s * 0.08, s * 0.06, s * 0.56, s * 0.72));
    drawMagnifier(p, QPointF(s * 0.5, s * 0.5), s * 0.2);
}

void drawPrinter(QPainter& p, qreal s) {
    drawPage(p, QRectF(s * 0.26, s * 0.06, s * 0.48, s * 0.5));
    QLinearGradient body(0, s * 0.4, 0, s * 0.8);
    body.setColorAt(0, QColor(0x8c, 0x96, 0xa4));
    body.setColorAt(1, QColor(0x4a, 0x52, 0x5e));
    p.setPen(QPen(QColor(0x33, 0x38, 0x40), s * 0.03));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(s * 0.08, s * 0.4, s * 0.84, s * 0.38), s * 0.08, s * 0.08);
    p.setBrush(QColor(0xfb, 0xfc, 0xfe));
    p.drawRect(QRectF(s * 0.26, s * 0.66, s * 0.48, s * 0.26));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x5c, 0xd6, 0x5c));
    p.drawEllipse(QPointF(s * 0.8, s * 0.5), s * 0.04, s * 0.04);
}

void drawStop(QPainter& p, qreal s) {
    QPainterPath octagon;
    const QPointF c(s / 2, s / 2);
    const qreal r = s * 0.46;
    for (int i = 0; i < 8; ++i) {
        const qreal angle = (22.5 + 45.0 * i) * M_PI / 180.0;
        const QPointF corner = c + QPointF(r * std::cos(angle), r * std::sin(angle));
        i == 0 ? octagon.moveTo(corner) : octagon.lineTo(corner);
    }
    octagon.closeSubpath();
    QLinearGradient red(0, 0, 0, s);
    red.setColorAt(0, QColor(0xe8, 0x3a, 0x2e));
    red.setColorAt(1, QColor(0xa0, 0x16, 0x10));
    p.setPen(QPen(Qt::white, s * 0.05));
    p.setBrush(red);
    p.drawPath(octagon);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(s * 0.28, s * 0.43, s * 0.44, s * 0.14), s * 0.03, s * 0.03);
}

QIcon iconOf(void (*draw)(QPainter&, qreal)) {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64})
        icon.addPixmap(glyph(draw, size));
    return icon;
}

} // namespace

QImage applicationIconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    drawSearch(p, size);
    return image;
}

QIcon applicationIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128})
        icon.addPixmap(QPixmap::fromImage(applicationIconImage(size)));
    return icon;
}

QIcon searchGlyph() {
    return iconOf(drawSearch);
}
QIcon printGlyph() {
    return iconOf(drawPrinter);
}
QIcon stopGlyph() {
    return iconOf(drawStop);
}

QPixmap splashPicture(QSize size) {
    QPixmap pixmap(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, size.width(), size.height());
    sky.setColorAt(0, QColor(0x16, 0x3a, 0x5c));
    sky.setColorAt(1, QColor(0x2f, 0x6f, 0x9f));
    p.fillRect(pixmap.rect(), sky);
    const qreal h = size.height();
    p.save();
    p.translate(size.width() - h * 0.95, h * 0.08);
    drawSearch(p, h * 0.84);
    p.restore();
    QFont title(QStringLiteral("Sans Serif"));
    title.setPixelSize(int(h * 0.3));
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRectF(h * 0.15, h * 0.12, size.width(), h * 0.4), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Ferrolux"));
    QFont line(QStringLiteral("Sans Serif"));
    line.setPixelSize(int(h * 0.1));
    p.setFont(line);
    p.setPen(QColor(0xd8, 0xe6, 0xf2));
    p.drawText(QRectF(h * 0.17, h * 0.55, size.width(), h * 0.14), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Multi-file text search"));
    p.drawText(QRectF(h * 0.17, h * 0.72, size.width(), h * 0.14), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Version 2.2"));
    p.setPen(QPen(rust, h * 0.025));
    p.drawLine(QPointF(h * 0.17, h * 0.52), QPointF(h * 1.6, h * 0.52));
    return pixmap;
}

} // namespace ferrolux
