#pragma once
// The window shown while the main window starts: the about picture, on top of other windows.
#include "platform/forms/form.h"

namespace kavrin {

class AboutPicture;

class frmSplash : public Form {
    Q_OBJECT
public:
    explicit frmSplash(QWidget* parent = nullptr);

    AboutPicture* picAbout = nullptr;

protected:
    void Form_Load() override;
    void Form_Resize() override;
};

}  // namespace kavrin
