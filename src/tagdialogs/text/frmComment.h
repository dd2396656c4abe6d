#pragma once
// "Comment": the selection wrapped in a comment, or a text in a box or a banner of "=".
#include <QButtonGroup>
#include <QFrame>
#include <QRadioButton>

#include "tagdialogs/tagdialog.h"

namespace kavrin {

// What goes before, in and after the comment; start begins with "<!--", end ends with "-->".
struct CommentParts {
    QString start;
    QString text;
    QString end;
};
// Style 1: the text as it is; 2: a box `width` wide, the text centred or word-wrapped;
// 3: a one-line banner. Upper case touches the text only.
CommentParts buildComment(int style, const QString& text, int width, bool upper);

class frmComment : public TagDialog {
    Q_OBJECT
public:
    explicit frmComment(QWidget* parent = nullptr);

    QTabBar* tbsMain = nullptr;
    QRadioButton* optStyle[3] = {};
    QFrame* fraMain[3] = {};
    QLabel* Label2 = nullptr;
    QLabel* lblBeginComment = nullptr;
    QLineEdit* txtStyleA = nullptr;
    QLabel* lblEndComment = nullptr;
    QLabel* lblBegin2 = nullptr;
    QLineEdit* txtStyleB = nullptr;
    QLabel* lblEnd2 = nullptr;
    QCheckBox* chkUCase = nullptr;
    QLabel* lblWidth = nullptr;
    QLineEdit* txtWidth = nullptr;
    UpDown* updWidth = nullptr;

    QString selectedText;
    int commentWidth = 70;

    // 1 to 3.
    int style() const;
    void tbsMain_Click();
    void optStyle_Click(int index);
    // Puts the width field back within 10 to 200, or to the stored width when it is empty.
    void checkWidth();
    void cmdOk_Click() override;

protected:
    void Form_Load() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QButtonGroup* styles_ = nullptr;
};

}  // namespace kavrin
