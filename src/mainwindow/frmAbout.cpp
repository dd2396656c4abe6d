#include "mainwindow/frmAbout.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QPainter>

#include "platform/system/screen.h"
#include "platform/system/shell.h"

namespace kavrin {

namespace {

QRect twipRect(int left, int top, int width, int height) {
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

// Where the picture shows the maker's address; the link area lies over it.
const QRect kLinkTwips(3960, 240, 1965, 285);

}  // namespace

void paintAboutPicture(QPainter& p, const QRect& area) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QLinearGradient sky(area.topLeft(), area.bottomRight());
    sky.setColorAt(0.0, QColor(0x14, 0x2c, 0x52));
    sky.setColorAt(1.0, QColor(0x1f, 0x6f, 0x7a));
    p.fillRect(area, sky);

    // A page with angle brackets, the program's mark.
    const QRect page(area.x() + 28, area.y() + 58, 86, 108);
    p.setPen(QPen(QColor(0xe8, 0xee, 0xf4), 2));
    p.setBrush(QColor(0xff, 0xff, 0xff, 40));
    p.drawRoundedRect(page, 6, 6);
    QFont mark = p.font();
    mark.setPixelSize(40);
    mark.setBold(true);
    p.setFont(mark);
    p.setPen(QColor(0xff, 0xc8, 0x4a));
    p.drawText(page, Qt::AlignCenter, QStringLiteral("</>"));

    const QRect text(area.x() + 134, area.y() + 60, area.width() - 150, area.height() - 70);
    QFont title = p.font();
    title.setPixelSize(34);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(text, Qt::AlignLeft | Qt::AlignTop, QStringLiteral("Kavrin Pro"));
    QFont line = p.font();
    line.setPixelSize(14);
    line.setBold(false);
    p.setFont(line);
    p.setPen(QColor(0xd6, 0xe4, 0xf0));
    p.drawText(text.adjusted(2, 46, 0, 0), Qt::AlignLeft | Qt::AlignTop,
               QStringLiteral("HTML Editor\nVersion 3.0"));
    line.setPixelSize(11);
    p.setFont(line);
    p.drawText(text.adjusted(2, 100, 0, 0), Qt::AlignLeft | Qt::AlignTop,
               QStringLiteral("Source, design and browse views,\ntag dialogs, colour coding and more."));

    // The maker's address in the upper right corner.
    QFont link = p.font();
    link.setPixelSize(11);
    p.setFont(link);
    p.setPen(QColor(0xa8, 0xd8, 0xff));
    const QRect at = twipRect(kLinkTwips.x(), kLinkTwips.y(), kLinkTwips.width(), kLinkTwips.height())
                         .translated(area.topLeft());
    p.drawText(at, Qt::AlignCenter, QStringLiteral("kavrin.example.org"));
    p.restore();
}

AboutPicture::AboutPicture(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("picAbout"));
    setMouseTracking(true);
}

void AboutPicture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    paintAboutPicture(p, rect());
    if (edge) {
        p.setPen(QColor(0x80, 0x80, 0x80));
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

frmAbout::frmAbout(QWidget* parent) : Form(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setCaption(QStringLiteral("About Kavrin Pro"));
    setAutoFillBackground(true);
    QPalette grey = palette();
    grey.setColor(QPalette::Window, QColor(0xc0, 0xc0, 0xc0));
    setPalette(grey);
    setMouseTracking(true);
    setFixedSize(twipsToPixels(6075), twipsToPixels(4305));

    picAbout = new AboutPicture(this);
    picAbout->setGeometry(twipRect(20, 20, 6035, 3705));

    lblLink = new QLabel(picAbout);
    lblLink->setObjectName(QStringLiteral("lblLink"));
    lblLink->setGeometry(twipRect(kLinkTwips.x(), kLinkTwips.y(), kLinkTwips.width(), kLinkTwips.height()));
    lblLink->setAttribute(Qt::WA_TranslucentBackground);
    lblLink->setCursor(Qt::PointingHandCursor);
    lblLink->setMouseTracking(true);
    lblLink->setToolTip(makerAddress);

    Line1 = new QFrame(picAbout);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setFrameShape(QFrame::NoFrame);
    Line1->setAutoFillBackground(true);
    QPalette underline = Line1->palette();
    underline.setColor(QPalette::Window, QColor(0xa8, 0xd8, 0xff));
    Line1->setPalette(underline);
    const QRect link = lblLink->geometry();
    Line1->setGeometry(link.x() + 12, link.bottom() - 2, link.width() - 24, 1);
    Line1->hide();

    cmdOk = new QPushButton(QStringLiteral("OK"), this);
    cmdOk->setGeometry(twipRect(4560, 3840, 1300, 375));
    cmdOk->setDefault(true);
    connect(cmdOk, &QPushButton::clicked, this, [this] { cmdOk_Click(); });

    lblLink->installEventFilter(this);
    picAbout->installEventFilter(this);
}

void frmAbout::Form_Load() { Line1->hide(); }

void frmAbout::cmdOk_Click() { unload(); }

void frmAbout::lblLink_MouseMove() { Line1->show(); }
void frmAbout::picAbout_MouseMove() { Line1->hide(); }
void frmAbout::Form_MouseMove() { Line1->hide(); }

void frmAbout::lblLink_MouseDown() {
    // Whether a browser comes up is the desktop's business; a failure changes nothing here.
    if (openAddress) openAddress(makerAddress);
    else openWithAssociated(makerAddress);
}

bool frmAbout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lblLink) {
        switch (event->type()) {
        case QEvent::Enter:
            lblLink_MouseMove();
            break;
        case QEvent::Leave:
            Line1->hide();
            break;
        // Taken here, so that the picture beneath does not see them too.
        case QEvent::MouseMove:
            lblLink_MouseMove();
            return true;
        case QEvent::MouseButtonPress:
            lblLink_MouseDown();
            return true;
        default:
            break;
        }
    } else if (watched == picAbout && event->type() == QEvent::MouseMove) {
        picAbout_MouseMove();
    }
    return Form::eventFilter(watched, event);
}

void frmAbout::mouseMoveEvent(QMouseEvent* event) {
    Form_MouseMove();
    Form::mouseMoveEvent(event);
}

void frmAbout::keyPressEvent(QKeyEvent* event) {
    // "OK" is both the default and the cancel button.
    answerDialogKeys(event, [this] { cmdOk_Click(); }, [this] { cmdOk_Click(); });
}

}  // namespace kavrin
