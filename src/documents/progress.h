#pragma once
// The small progress bar of long operations, drawn beside the caret position in the status area.
#include <QWidget>

namespace kavrin {

class RichTextBox;

// Pages at least this long show the bar while a whole-page command works on them.
constexpr qsizetype kProgressFrom = 512 * 1024;

// Starts (with its total) or ends a bar.
void showProgress(bool starting, int total = 0);
// Reports that `position` of the total is done; redraws at most once per whole percent.
void updateProgress(int position);
// The bar's right end (2 at the start, growing to 97) for a position; 0 for a total of 0.
int progressPercent(qint64 position, qint64 total);

// The bar of a command that edits or recolours a long page in `stages` steps, one after the
// other: what the editor reports of its work moves the bar through the step stage() last named.
// A page shorter than kProgressFrom shows no bar. Only one bar runs at a time: a step that shows
// a bar of its own runs after this one has ended.
class EditProgress {
public:
    // `pageLength`: the length the page will have, for a page still to be loaded (-1: the
    // editor's text as it is).
    EditProgress(RichTextBox* editor, int stages, qint64 pageLength = -1);
    ~EditProgress();
    EditProgress(const EditProgress&) = delete;
    EditProgress& operator=(const EditProgress&) = delete;
    void stage(int k) { stage_ = qBound(0, k, stages_ - 1); }

private:
    QMetaObject::Connection connection_;
    int stages_;
    int stage_ = 0;
    bool shown_ = false;
};

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
