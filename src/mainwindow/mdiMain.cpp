#include "mainwindow/mdiMain.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QVBoxLayout>

#include "documents/globals.h"

namespace kavrin {

mdiMain::mdiMain(QWidget* parent) : Form(parent) {
    setObjectName("mdiMain");
    setCaption(appTitleText());
    buildWindow();
}

mdiMain::~mdiMain() {
    if (Form::mdiArea() == mdi_) Form::setMdiArea(nullptr);
    if (mainWindow == this) mainWindow = nullptr;
}

QString mdiMain::appTitleText() { return QStringLiteral("Kavrin Pro"); }

void mdiMain::buildWindow() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    menuBar = new QMenuBar(this);
    layout->setMenuBar(menuBar);

    QMenu* file = menuBar->addMenu(tr("&File"));
    mnuFileCloseAll = file->addAction(tr("Close A&ll"));
    mnuFileCloseAll->setEnabled(false);
    QMenu* tools = menuBar->addMenu(tr("&Tools"));
    QMenu* colorCode = tools->addMenu(tr("&Color Code"));
    mnuToolsColorCodeYes = colorCode->addAction(tr("&Yes"));
    mnuToolsColorCodeYes->setCheckable(true);
    mnuToolsColorCodeNo = colorCode->addAction(tr("&No"));
    mnuToolsColorCodeNo->setCheckable(true);
    mnuToolsColorCodeRefresh = colorCode->addAction(tr("&Refresh"));

    mdi_ = new QMdiArea(this);
    mdi_->setViewMode(QMdiArea::SubWindowView);
    layout->addWidget(mdi_, 1);
    Form::setMdiArea(mdi_);

    picPop = new QWidget(this);
    auto* popLayout = new QHBoxLayout(picPop);
    popLayout->setContentsMargins(0, 0, 0, 0);
    tbsPop = new QTabBar(picPop);
    tbsPop->setExpanding(false);
    tbsPop->setDocumentMode(true);
    popLayout->addWidget(tbsPop);
    popLayout->addStretch(1);
    picPop->setVisible(false);
    layout->addWidget(picPop);

    stbMain = new QStatusBar(this);
    for (int i = 0; i < 3; ++i) {
        auto* panel = new QLabel(stbMain);
        panel->setMinimumWidth(80);
        panels_ << panel;
        if (i == 0) stbMain->addWidget(panel, 1);
        else stbMain->addPermanentWidget(panel);
    }
    lblCursorPos = new QLabel(stbMain);
    lblCursorPos->setMinimumWidth(120);
    stbMain->addPermanentWidget(lblCursorPos);
    layout->addWidget(stbMain);
}

QLabel* mdiMain::stbPanel(int index) const {
    return index >= 1 && index <= panels_.size() ? panels_[index - 1] : nullptr;
}

DocumentWindow* mdiMain::activeDocument() const {
    return nullptr;
}

void mdiMain::setToEdit() {}
void mdiMain::setToBrowse() {}
void mdiMain::setToDesign() {}

void mdiMain::Form_Load() {
    resize(1000, 700);
}

void mdiMain::Form_Unload(int& cancel) {
    (void)cancel;
}

}  // namespace kavrin
