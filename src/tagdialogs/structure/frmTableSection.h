#pragma once
// "Table Header", "Table Body" or "Table Footer": a thead, tbody or tfoot start tag, chosen by
// dialogKind, around the selection on lines of its own.
#include "tagdialogs/tagdialog.h"

namespace kavrin {

class frmTableSection : public TagDialog {
    Q_OBJECT
public:
    explicit frmTableSection(QWidget* parent = nullptr);
    QComboBox* cboAlign = nullptr;
    QComboBox* cboVAlign = nullptr;
    // Header, body and footer icons on one spot; the kind's icon is the one shown.
    QLabel* imgIcon[3] = {nullptr, nullptr, nullptr};
    QString startTag;
    QString endTag;

protected:
    void prepareLoad() override;
    void insertStartTag(const QString& tag) override;
    void Form_Unload(int& cancel) override;
};

}  // namespace kavrin
