#pragma once
// "Meta Tags": one meta tag, an http-equiv header or a named entry with its content. Choosing a
// kind adapts the content area: robots directives from a list, a preset expiry date, and for a
// page refresh the address to load and the pause before it. A new tag goes on its own line
// right after the page's head start tag.
#include <QGroupBox>
#include <QPlainTextEdit>
#include <optional>

#include "tagdialogs/tagdialog.h"

namespace kavrin {

// A refresh tag's content taken apart: "5; URL=page.htm" is the pause "5", the separator
// "; URL=" as written and the address "page.htm".
struct RefreshContent {
    QString pause;
    QString separator;
    QString url;
};
// Accepts a pause of digits, then blanks, an optional ";" or "," and an optional "URL=" in any
// case before the address; nullopt when the content does not start with a pause.
std::optional<RefreshContent> splitRefreshContent(const QString& content);
// The content written back: pause, separator and address. Without an address a separator that
// only led up to one gives way to "; ".
QString joinRefreshContent(const RefreshContent& refresh);
// Where a new meta tag goes: just after the head start tag when its "<head" lies within the
// first 5000 characters of the page; -1 when there is none there.
int metaInsertOffset(const QString& text);

class frmMeta : public TagDialog {
    Q_OBJECT
public:
    explicit frmMeta(QWidget* parent = nullptr);

    QGroupBox* fraMain = nullptr;
    QComboBox* cboHTTP = nullptr;
    QComboBox* cboName = nullptr;
    QLabel* lblContent = nullptr;
    QPlainTextEdit* txtContent = nullptr;
    QComboBox* cboRobots = nullptr;
    QWidget* picRefresh = nullptr;
    QLineEdit* txtUrl = nullptr;
    QLineEdit* txtPause = nullptr;

    void cboHTTP_Click();
    void cboName_Click();
    void cmdOk_Click() override;
    QString buildStartTag() const override;

protected:
    void prepareLoad() override;
    void afterLoad() override;
    void insertStartTag(const QString& startTag) override;
    void Form_Unload(int& cancel) override;

private:
    // A kind picked from `own`'s list; the other list gives up its kind.
    void kindChosen(QComboBox* own, QComboBox* other);
    // The refresh panel's pause and address make up the content.
    bool refreshInUse() const;
    void showContentArea(QWidget* shown);

    // How an edited refresh tag wrote what stands between its pause and its address.
    QString refreshSeparator_;
};

}  // namespace kavrin
