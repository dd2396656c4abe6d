#pragma once
// The window shown while the main window starts.
#include "platform/form.h"

namespace kavrin {

class frmSplash : public Form {
    Q_OBJECT
public:
    explicit frmSplash(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace kavrin
