// Stand-ins for the side panes' operations that the main window's start-up and shut-down call.
// The side panes replace this whole file with the real folder tree, file list and tag tree.
#include "mainwindow/mdiMain.h"

namespace kavrin {

void mdiMain::initTreMain() {}

void mdiMain::setTreePath(const QString& folder) { (void)folder; }

void mdiMain::mnuFileListViewStyle_Click(int index) { (void)index; }

void mdiMain::showFileListFilters() {}

double mdiMain::picHSplitterTop() const { return picHSplitterTop_; }

void mdiMain::setPicHSplitterTop(double twips) { picHSplitterTop_ = twips; }

void mdiMain::picFile_Resize() {}

QString mdiMain::fileListFolder() const { return {}; }

bool mdiMain::customTagsOfTagTree(QStringList* tags) const {
    (void)tags;
    return false;  // no tag tree yet: the stored custom tags stay as they are
}

void mdiMain::loadMenuForm() {}

}  // namespace kavrin
