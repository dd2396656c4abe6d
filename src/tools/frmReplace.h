#pragma once
// The Find/Replace window: finds a text in the active document's source, replaces one hit or all
// of them. Searches run in passes over the whole page, from the caret or in a remembered
// selection, without wrapping round; a miss ends the pass.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>

#include "platform/forms/form.h"

namespace kavrin {

class DocumentWindow;
class RichTextBox;

class frmReplace : public Form {
    Q_OBJECT
public:
    explicit frmReplace(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QLineEdit* txtFind = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* txtReplace = nullptr;
    QGroupBox* Frame1 = nullptr;
    QRadioButton* optAll = nullptr;
    QRadioButton* optStart = nullptr;
    QRadioButton* optSelected = nullptr;
    QGroupBox* Frame2 = nullptr;
    QCheckBox* chkMatchCase = nullptr;
    QCheckBox* chkWholeWords = nullptr;
    QPushButton* cmdFindNext = nullptr;
    QPushButton* cmdReplace = nullptr;
    QPushButton* cmdReplaceAll = nullptr;
    QPushButton* cmdClose = nullptr;

    void txtFind_Change();
    void txtReplace_Change();
    void optSelected_Click();
    void cmdFindNext_Click();
    void cmdReplace_Click();
    void cmdReplaceAll_Click();
    void cmdClose_Click();

    // The state of the current pass, readable for tests.
    QString findText;
    int searchStart = 0;
    int searchEnd = 0;  // -1: the pass searches the remembered selection
    int rangeStart = 0;
    int rangeLength = 0;
    bool newSearch = true;
    int findFlags = 0;

protected:
    void Form_Load() override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void startPass(RichTextBox* editor);
    // One search of the pass from searchStart; the hit's offset or -1.
    int searchOnce(RichTextBox* editor);
    // True when the pass belongs to this document (a pass never carries over to another page).
    void bindPass(DocumentWindow* doc);
    void message(const QString& text, int buttons);
    // Replace with, its line breaks as CR LF.
    QString replacementText() const;

    QPointer<DocumentWindow> passDoc_;
    // The last hit shown, which Replace acts on only while it is still selected.
    QPointer<DocumentWindow> hitDoc_;
    int hitStart_ = -1;
    int hitLength_ = 0;
    class TypingFields* typing_ = nullptr;
};

// The one Find/Replace window, or nullptr when it is not loaded; created when `create` is set.
frmReplace* replaceForm(bool create = false);

}  // namespace kavrin
