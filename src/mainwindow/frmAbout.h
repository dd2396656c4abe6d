#pragma once
// The about box, and the about picture that it shares with the splash window.
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "platform/forms/form.h"

class QPainter;

namespace kavrin {

// The maker's web address that the about box's link opens.
inline const QString makerAddress = QStringLiteral("https://kavrin.example.org/");

// Draws the about picture into `area`.
void paintAboutPicture(QPainter& painter, const QRect& area);

// The picture box that shows the about picture.
class AboutPicture : public QWidget {
    Q_OBJECT
public:
    explicit AboutPicture(QWidget* parent = nullptr);
    // The splash window draws a grey edge around the picture.
    bool edge = false;

protected:
    void paintEvent(QPaintEvent* event) override;
};

class frmAbout : public Form {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

    AboutPicture* picAbout = nullptr;
    QLabel* lblLink = nullptr;
    QFrame* Line1 = nullptr;
    QPushButton* cmdOk = nullptr;

    void cmdOk_Click();
    void lblLink_MouseMove();
    void lblLink_MouseDown();
    void picAbout_MouseMove();
    void Form_MouseMove();

    // Where the link sends the address; tests record it instead of starting a browser.
    using Opener = bool (*)(const QString& address);
    static inline Opener openAddress = nullptr;

protected:
    void Form_Load() override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace kavrin
