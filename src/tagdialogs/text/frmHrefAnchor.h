#pragma once
// "Hypertext Anchor": an a start tag with its address, name, target, tab index and access key.
// A new link wraps the selection or carries the text typed for it; the last 15 addresses are
// remembered between showings.
#include <QPlainTextEdit>
#include <QStringList>

#include "tagdialogs/tagdialog.h"

namespace kavrin {

// Addresses most recent first, at most 15, kept in the settings store.
struct UrlHistory {
    static constexpr int kMax = 15;
    QStringList entries;

    void load();
    // Writes the entries and removes the keys past them.
    void save() const;
    // Moves or puts `address` at the head; an empty address is not worth remembering.
    void use(const QString& address);
};

class frmHrefAnchor : public TagDialog {
    Q_OBJECT
public:
    explicit frmHrefAnchor(QWidget* parent = nullptr);

    QComboBox* cboHref = nullptr;
    QToolButton* cmdBrowse = nullptr;
    QLineEdit* txtName = nullptr;
    QComboBox* cboTarget = nullptr;
    QLineEdit* txtTabindex = nullptr;
    QLineEdit* txtAccesskey = nullptr;
    QLabel* lblAnchor = nullptr;
    QPlainTextEdit* txtAnchor = nullptr;

    UrlHistory urlHistory;

    void cmdOk_Click() override;
    void cmdBrowse_Click();

protected:
    void prepareLoad() override;
    void afterLoad() override;
    void insertStartTag(const QString& startTag) override;
    void Form_Unload(int& cancel) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void hideAnchoredText();
};

}  // namespace kavrin
