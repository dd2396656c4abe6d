#pragma once
// The small progress bar of long operations, drawn beside the caret position in the status area.
#include <QWidget>

namespace kavrin {

// Starts (with its total) or ends a bar.
void showProgress(bool starting, int total = 0);
// Reports that `position` of the total is done; redraws at most once per whole percent.
void updateProgress(int position);
// The bar's right end (2 at the start, growing to 97) for a position; 0 for a total of 0.
int progressPercent(qint64 position, qint64 total);

// The box the bar is drawn in.
class ProgressBox : public QWidget {
    Q_OBJECT
public:
    explicit ProgressBox(QWidget* parent = nullptr);
    void setFrame(bool on);
    void setBar(int percent);
    bool frameShown() const { return frame_; }
    int barPercent() const { return percent_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool frame_ = false;
    int percent_ = 0;
};

}  // namespace kavrin
