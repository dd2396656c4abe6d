#pragma once
// The toolbars of the design and browse views: the design toolbar (character formats, element
// dialogs, table editing), the alignment, list and colour toolbar, and the browse toolbar.
#include "platform/forms/toolbar.h"

namespace kavrin {

Toolbar* createDesignToolbar(QWidget* parent);
Toolbar* createBrowseToolbar(QWidget* parent);

}  // namespace kavrin
