#pragma once
// The help window: the program's own HTML help pages, with back, forward and contents.
#include <QPushButton>
#include <QTextBrowser>

#include "platform/forms/form.h"

namespace kavrin {

class frmHelp : public Form {
    Q_OBJECT
public:
    explicit frmHelp(QWidget* parent = nullptr);

    QTextBrowser* txtHelp = nullptr;
    QPushButton* cmdContents = nullptr;
    QPushButton* cmdBack = nullptr;
    QPushButton* cmdForward = nullptr;

    // Shows the page (a full path) at its top, in the one help window.
    static frmHelp* showPage(const QString& path);
    QString page() const;

private:
    // A size the screen holds, centred on the screen of the main window.
    void placeOnScreen();
    QString contents_;
};

}  // namespace kavrin
