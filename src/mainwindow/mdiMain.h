#pragma once
// The main window: menus, toolbars, the document area with its task bar, and the status bar.
#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QTabBar>

#include "platform/form.h"

class QMdiArea;

namespace kavrin {

class DocumentWindow;

class mdiMain : public Form {
    Q_OBJECT
public:
    explicit mdiMain(QWidget* parent = nullptr);
    ~mdiMain() override;

    // The active document window, or nullptr.
    DocumentWindow* activeDocument() const;
    QMdiArea* mdiArea() const { return mdi_; }

    // ---- Controls other windows use ----
    QMenuBar* menuBar = nullptr;
    QTabBar* tbsPop = nullptr;      // document task bar: one tab per document window
    QWidget* picPop = nullptr;      // holds tbsPop
    QStatusBar* stbMain = nullptr;
    // Status bar panels, 1-based as the callers count them (panel 2 shows the document size).
    QLabel* stbPanel(int index) const;
    QLabel* lblCursorPos = nullptr;

    QAction* mnuFileCloseAll = nullptr;
    QAction* mnuToolsColorCodeYes = nullptr;
    QAction* mnuToolsColorCodeNo = nullptr;
    QAction* mnuToolsColorCodeRefresh = nullptr;

    // ---- View states (set by the document windows when a view shows) ----
    void setToEdit();
    void setToBrowse();
    void setToDesign();

protected:
    void Form_Load() override;
    void Form_Unload(int& cancel) override;

private:
    void buildWindow();
    static QString appTitleText();

    QMdiArea* mdi_ = nullptr;
    QVector<QLabel*> panels_;
};

}  // namespace kavrin
