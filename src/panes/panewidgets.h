#pragma once
// The widgets of the main window's side panel, for the main window's declaration.
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QRubberBand>
#include <QTabWidget>
#include <QTreeWidget>

#include "panes/customtags.h"
#include "panes/filelistbox.h"
#include "panes/filelistview.h"
#include "panes/panetree.h"
#include "panes/projectfile.h"
#include "panes/resourcetree.h"
#include "panes/sidepanel.h"
#include "panes/tagdata.h"
#include "platform/files/filesystem.h"
