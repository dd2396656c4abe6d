#include "mainwindow/frmSplash.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace kavrin {

frmSplash::frmSplash(QWidget* parent) : Form(parent) {
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    setFixedSize(420, 240);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void frmSplash::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(0x20, 0x3a, 0x60));
    p.setPen(Qt::white);
    QFont f = font();
    f.setPointSize(26);
    f.setBold(true);
    p.setFont(f);
    p.drawText(rect().adjusted(0, 0, 0, -40), Qt::AlignCenter, QStringLiteral("Kavrin Pro"));
    f.setPointSize(10);
    f.setBold(false);
    p.setFont(f);
    p.drawText(rect().adjusted(0, 100, 0, 0), Qt::AlignCenter, QStringLiteral("HTML editor  \u2022  version 3.0"));
}

}  // namespace kavrin
