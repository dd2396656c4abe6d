#pragma once
// The design control's own font dialog: face, size (1 to 7), bold, italic and underline of the
// design selection.
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>

#include "platform/forms/form.h"

namespace kavrin {

class DesignFontDialog : public Form {
    Q_OBJECT
public:
    explicit DesignFontDialog(QWidget* parent = nullptr);

    // In: the selection's font; out: the choice. Face "" and size 0 leave those as they are.
    QString fontName;
    int fontSize = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;

    // Shows the dialog modally; true when the user pressed OK.
    bool ask();

    QComboBox* cboFont = nullptr;
    QComboBox* cboSize = nullptr;
    QCheckBox* chkBold = nullptr;
    QCheckBox* chkItalic = nullptr;
    QCheckBox* chkUnderline = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;

    void cmdOk_Click();
    void cmdCancel_Click();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool accepted_ = false;
};

}  // namespace kavrin
