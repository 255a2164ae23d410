#include "ToolIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>

namespace Sondrel {

namespace {

constexpr int kSize = 24;

const QColor kInk(0x30, 0x30, 0x30);
const QColor kGreen(0x1E, 0x9A, 0x3C);
const QColor kRed(0xC8, 0x28, 0x28);
const QColor kBlue(0x2A, 0x62, 0xC0);
const QColor kGrey(0x9A, 0xA0, 0xA6);

template <typename Paint>
QIcon Painted(Paint&& paint) {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    {
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        paint(p);
    }
    return QIcon(pixmap);
}

// A plug seen from the side: body, two pins to the right, cable to the left.
void Plug(QPainter& p, qreal x, const QColor& body) {
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(x, 7, 7, 10), 2, 2);
    p.setBrush(kInk);
    p.drawRect(QRectF(x + 7, 9, 4, 1.6));
    p.drawRect(QRectF(x + 7, 13.4, 4, 1.6));
}

// A socket facing left: a block with two holes.
void Socket(QPainter& p, qreal x, const QColor& body) {
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(x, 6, 7, 12), 2, 2);
    p.setBrush(kInk);
    p.drawRect(QRectF(x, 9, 2.5, 1.6));
    p.drawRect(QRectF(x, 13.4, 2.5, 1.6));
}

void Cable(QPainter& p, qreal fromX, qreal toX) {
    p.setPen(QPen(kInk, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(fromX, 12), QPointF(toX, 12));
}

QIcon ConnectIcon() {
    return Painted([](QPainter& p) {
        Cable(p, 1, 5);
        Plug(p, 5, kGreen);
        Socket(p, 16, kGrey);
        Cable(p, 23, 23);
    });
}

QIcon DisconnectIcon() {
    return Painted([](QPainter& p) {
        Cable(p, 1, 3);
        Plug(p, 3, kRed);
        Socket(p, 17, kGrey);
        p.setPen(QPen(kRed, 1.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(14, 4), QPointF(15.5, 7));
        p.drawLine(QPointF(14, 20), QPointF(15.5, 17));
    });
}

QIcon PortSettingsIcon() {
    return Painted([](QPainter& p) {
        // A nine-pin connector outline with a small gear.
        QPainterPath shell;
        shell.moveTo(2, 5);
        shell.lineTo(18, 5);
        shell.lineTo(15, 15);
        shell.lineTo(5, 15);
        shell.closeSubpath();
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(QColor(0xDD, 0xE3, 0xEA));
        p.drawPath(shell);
        p.setBrush(kInk);
        for (int i = 0; i < 5; ++i) {
            p.drawEllipse(QPointF(5 + i * 2.5, 8.5), 0.8, 0.8);
        }
        for (int i = 0; i < 4; ++i) {
            p.drawEllipse(QPointF(6.2 + i * 2.5, 11.8), 0.8, 0.8);
        }
        p.setPen(QPen(kBlue, 2.2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(18, 18), 3.2, 3.2);
        for (int i = 0; i < 8; ++i) {
            p.save();
            p.translate(18, 18);
            p.rotate(i * 45.0);
            p.drawLine(QPointF(0, 3.6), QPointF(0, 5.4));
            p.restore();
        }
    });
}

QIcon RetrieveDataIcon() {
    return Painted([](QPainter& p) {
        // A tray with an arrow coming down into it.
        p.setPen(QPen(kInk, 1.4));
        p.setBrush(Qt::NoBrush);
        QPainterPath tray;
        tray.moveTo(3, 14);
        tray.lineTo(3, 21);
        tray.lineTo(21, 21);
        tray.lineTo(21, 14);
        p.drawPath(tray);
        QPainterPath arrow;
        arrow.moveTo(10, 2);
        arrow.lineTo(14, 2);
        arrow.lineTo(14, 10);
        arrow.lineTo(18, 10);
        arrow.lineTo(12, 17);
        arrow.lineTo(6, 10);
        arrow.lineTo(10, 10);
        arrow.closeSubpath();
        p.setBrush(kGreen);
        p.setPen(QPen(kInk, 1));
        p.drawPath(arrow);
    });
}

QIcon StopDownloadIcon() {
    return Painted([](QPainter& p) {
        QPainterPath octagon;
        for (int i = 0; i < 8; ++i) {
            const qreal angle = (22.5 + i * 45.0) * 3.14159265358979 / 180.0;
            const QPointF point(12 + 9.5 * std::cos(angle), 12 + 9.5 * std::sin(angle));
            if (i == 0) {
                octagon.moveTo(point);
            } else {
                octagon.lineTo(point);
            }
        }
        octagon.closeSubpath();
        p.setPen(QPen(kInk, 1));
        p.setBrush(kRed);
        p.drawPath(octagon);
        p.setBrush(Qt::white);
        p.setPen(Qt::NoPen);
        p.drawRect(QRectF(7, 10.5, 10, 3));
    });
}

QIcon FirmwareUpdateIcon() {
    return Painted([](QPainter& p) {
        // A chip with pins and an arrow going up into it.
        p.setPen(QPen(kInk, 1.2));
        for (int i = 0; i < 4; ++i) {
            const qreal y = 6 + i * 3.5;
            p.drawLine(QPointF(3, y), QPointF(6, y));
            p.drawLine(QPointF(18, y), QPointF(21, y));
        }
        p.setBrush(QColor(0x3A, 0x3F, 0x46));
        p.drawRoundedRect(QRectF(6, 3, 12, 16), 1.5, 1.5);
        QPainterPath arrow;
        arrow.moveTo(12, 6);
        arrow.lineTo(16, 11);
        arrow.lineTo(13.5, 11);
        arrow.lineTo(13.5, 22);
        arrow.lineTo(10.5, 22);
        arrow.lineTo(10.5, 11);
        arrow.lineTo(8, 11);
        arrow.closeSubpath();
        p.setBrush(QColor(0xF2, 0xB1, 0x34));
        p.setPen(QPen(kInk, 0.8));
        p.drawPath(arrow);
    });
}

// The quick-connect button's state images: a lamp, grey-red while closed, green while open.
QIcon Lamp(const QColor& colour) {
    return Painted([&colour](QPainter& p) {
        QRadialGradient glow(QPointF(10, 10), 10);
        glow.setColorAt(0, colour.lighter(160));
        glow.setColorAt(1, colour);
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(glow);
        p.drawEllipse(QPointF(12, 12), 9, 9);
    });
}

} // namespace

QIcon ToolIcon(TToolIcon icon) {
    switch (icon) {
    case tiConnect:
        return ConnectIcon();
    case tiDisconnect:
        return DisconnectIcon();
    case tiPortSettings:
        return PortSettingsIcon();
    case tiRetrieveData:
        return RetrieveDataIcon();
    case tiStopDownload:
        return StopDownloadIcon();
    case tiFirmwareUpdate:
        return FirmwareUpdateIcon();
    }
    return QIcon();
}

QIcon ImageResource(const QString& name) {
    if (name == QStringLiteral("Bitmap_1")) {
        return Lamp(kRed);
    }
    if (name == QStringLiteral("Bitmap_2")) {
        return Lamp(kGreen);
    }
    return QIcon();
}

} // namespace Sondrel
