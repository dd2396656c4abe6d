// Stand-in for the tag tree's part in shutting down; the tag tree replaces it.
#include "mainwindow/mdiMain.h"

namespace kavrin {

bool mdiMain::customTagsOfTagTree(QStringList* tags) const {
    (void)tags;
    return false;  // no tag tree yet: the stored custom tags stay as they are
}

}  // namespace kavrin
