#include "documents/progress.h"

#include <QLabel>
#include <QPainter>
#include <cmath>

#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "mainwindow/mdiMain.h"
#include "platform/richtext/richtextbox.h"

namespace kavrin {

namespace {
QString savedStatusCaption;
int lastProgressPercent = 0;  // kept across runs, as the drawing skips a repeat of the last one
}  // namespace

int progressPercent(qint64 position, qint64 total) {
    if (total <= 0) return 0;
    const qint64 percent = qint64(std::floor(double(position) / double(total) * 100 + 0.05)) + 2;
    return int(percent & 0xFF);  // a byte, as the bar always kept it
}

void showProgress(bool starting, int total) {
    mdiMain* main = mainWindow;
    if (starting) {
        progressTotal = total;
        if (!main) return;
        savedStatusCaption = main->lblCursorPos->text();
        main->lblCursorPos->clear();
        main->lblCursorPos->repaint();
        main->picPbr->setFrame(true);
        main->picPbr->repaint();
        return;
    }
    if (!main) return;
    main->picPbr->setFrame(false);
    main->picPbr->setBar(0);
    main->picPbr->repaint();
    DocumentWindow* doc = activeDocument();
    if (!doc || doc->mode == 0) main->lblCursorPos->setText(savedStatusCaption);
}

void updateProgress(int position) {
    const int percent = progressPercent(position, progressTotal);
    if (percent > 97 || percent == lastProgressPercent || progressTotal <= 0) return;
    lastProgressPercent = percent;
    if (mdiMain* main = mainWindow) {
        main->picPbr->setBar(percent);
        main->picPbr->repaint();
    }
}

namespace {
constexpr int kStageUnits = 1000;
}  // namespace

EditProgress::EditProgress(RichTextBox* editor, int stages, qint64 pageLength) : stages_(qMax(1, stages)) {
    if (!editor || (pageLength < 0 ? editor->textLength() : pageLength) < kProgressFrom) return;
    shown_ = true;
    showProgress(true, stages_ * kStageUnits);
    updateProgress(0);
    connection_ = QObject::connect(editor, &RichTextBox::Working, editor, [this](qint64 done, qint64 total) {
        if (total > 0) updateProgress(stage_ * kStageUnits + int(qBound<qint64>(0, done, total) * kStageUnits / total));
    });
}

EditProgress::~EditProgress() {
    if (!shown_) return;
    QObject::disconnect(connection_);
    showProgress(false);
}

ProgressBox::ProgressBox(QWidget* parent) : QWidget(parent) {
    setObjectName("picPbr");
    setFixedSize(119, 19);
}

void ProgressBox::setFrame(bool on) { frame_ = on; }
void ProgressBox::setBar(int percent) { percent_ = percent; }

void ProgressBox::paintEvent(QPaintEvent*) {
    if (!frame_) return;
    QPainter p(this);
    const double unit = (width() - 1) / 100.0;
    const int bottom = height() - 1;
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.drawRect(QRectF(0, 0, 99 * unit, bottom));
    p.setPen(Qt::white);
    p.drawLine(QPointF(1 * unit, bottom), QPointF(100 * unit, bottom));
    p.drawLine(QPointF(99 * unit, 0), QPointF(99 * unit, bottom));
    if (percent_ > 0) p.fillRect(QRectF(2 * unit, 2, (percent_ - 2) * unit, bottom - 3), QColor(0x00, 0x00, 0x80));
}

}  // namespace kavrin
