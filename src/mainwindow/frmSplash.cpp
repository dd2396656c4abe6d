#include "mainwindow/frmSplash.h"

#include <QGuiApplication>
#include <QScreen>

#include "mainwindow/frmAbout.h"
#include "platform/system/screen.h"

namespace kavrin {

frmSplash::frmSplash(QWidget* parent) : Form(parent) {
    setObjectName(QStringLiteral("frmSplash"));
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    resize(twipsToPixels(6075), twipsToPixels(3705));
    picAbout = new AboutPicture(this);
    picAbout->edge = true;
    picAbout->setGeometry(rect());
}

void frmSplash::Form_Load() {
    // The main window's first activation takes the hourglass away again.
    setBusy(true);
    picAbout->setGeometry(rect());
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void frmSplash::Form_Resize() { picAbout->setGeometry(rect()); }

}  // namespace kavrin
