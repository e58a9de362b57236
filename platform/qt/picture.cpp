// The image of the picture controls, drawn in code: a rotor on its shaft, the telemetry
// collar with the measuring amplifiers, and the stationary antenna that picks up their
// signal and feeds the stationary unit.
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QWidget>

#include <algorithm>

#include "platform/qt/qt_internal.h"

namespace platform::qt {
namespace {

constexpr double kW = 200.0, kH = 120.0;  // drawing units, scaled to the control

class RotorPicture : public QWidget {
public:
    explicit RotorPicture(QWidget *parent) : QWidget(parent) {}
    QSize sizeHint() const override { return {120, 72}; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        double scale = std::min(width() / kW, height() / kH);  // keep the proportions
        p.translate((width() - kW * scale) / 2, (height() - kH * scale) / 2);
        p.scale(scale, scale);
        DrawBackground(p);
        DrawShaft(p);
        DrawRotor(p);
        DrawCollar(p);
        DrawAntenna(p);
    }

private:
    static void DrawBackground(QPainter &p)
    {
        QLinearGradient sky(0, 0, 0, kH);
        sky.setColorAt(0, QColor(0xE8, 0xF0, 0xF8));
        sky.setColorAt(1, QColor(0xB8, 0xC8, 0xD8));
        p.setPen(QPen(QColor(0x50, 0x60, 0x70), 1.5));
        p.setBrush(sky);
        p.drawRoundedRect(QRectF(1, 1, kW - 2, kH - 2), 6, 6);
    }

    static void DrawShaft(QPainter &p)
    {
        QLinearGradient steel(0, 50, 0, 66);
        steel.setColorAt(0, QColor(0xF0, 0xF0, 0xF0));
        steel.setColorAt(0.5, QColor(0x90, 0x98, 0xA0));
        steel.setColorAt(1, QColor(0x50, 0x58, 0x60));
        p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1));
        p.setBrush(steel);
        p.drawRect(QRectF(8, 50, 184, 16));
    }

    static void DrawRotor(QPainter &p)
    {
        QLinearGradient disc(140, 0, 170, 0);
        disc.setColorAt(0, QColor(0x40, 0x50, 0x80));
        disc.setColorAt(1, QColor(0x80, 0x98, 0xC8));
        p.setPen(QPen(QColor(0x20, 0x28, 0x40), 1.2));
        p.setBrush(disc);
        p.drawEllipse(QRectF(142, 12, 26, 92));
        p.setPen(QPen(QColor(0xE0, 0xE8, 0xFF), 1.5));
        for (int i = 0; i < 5; ++i) {  // blade edges
            double y = 22 + i * 18;
            p.drawLine(QPointF(147, y), QPointF(163, y + 6));
        }
    }

    static void DrawCollar(QPainter &p)
    {
        p.setPen(QPen(QColor(0x20, 0x20, 0x20), 1));
        p.setBrush(QColor(0x30, 0x60, 0x30));
        p.drawRect(QRectF(78, 44, 34, 28));
        p.setBrush(QColor(0xF0, 0xC0, 0x30));
        for (int i = 0; i < 3; ++i) p.drawRect(QRectF(82 + i * 10, 48, 6, 8));  // amplifiers
    }

    static void DrawAntenna(QPainter &p)
    {
        QPainterPath loop;
        loop.moveTo(70, 66);
        loop.cubicTo(70, 100, 120, 100, 120, 66);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(0xC0, 0x30, 0x20), 3));
        p.drawPath(loop);
        p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1.5));
        p.drawLine(QPointF(95, 91), QPointF(95, 104));
        p.drawLine(QPointF(95, 104), QPointF(38, 104));
        p.setBrush(QColor(0xD0, 0xD0, 0xC0));
        p.drawRect(QRectF(14, 94, 24, 18));  // stationary unit
        p.setPen(QPen(QColor(0xC0, 0x30, 0x20), 1.2));
        for (int i = 1; i <= 3; ++i) {  // radio waves from the collar
            double r = 5.0 * i;
            p.drawArc(QRectF(95 - r, 76 - r, 2 * r, 2 * r), 200 * 16, 140 * 16);
        }
    }
};

}  // namespace

QWidget *NewRotorPicture(QWidget *parent) { return new RotorPicture(parent); }

}  // namespace platform::qt
