#include "tagdialogs/structure/frmTableSection.h"

#include <QHBoxLayout>
#include <QStyle>

#include "documents/inserthtml.h"

namespace kavrin {

frmTableSection::frmTableSection(QWidget* parent)
    : TagDialog(QStringLiteral("tbody"), QStringLiteral("Table Header"), parent) {
    setObjectName(QStringLiteral("frmTableSection"));
    cboAlign = choiceBox({"", "left", "right", "center", "justify"}, this);
    cboVAlign = choiceBox({"", "top", "middle", "bottom", "baseline"}, this);
    auto* icons = new QWidget(this);
    auto* stack = new QGridLayout(icons);
    stack->setContentsMargins(0, 0, 0, 0);
    const QStyle::StandardPixmap pictures[3] = {QStyle::SP_ArrowUp, QStyle::SP_FileDialogListView,
                                                QStyle::SP_ArrowDown};
    for (int i = 0; i < 3; ++i) {
        imgIcon[i] = new QLabel(icons);
        imgIcon[i]->setPixmap(style()->standardIcon(pictures[i]).pixmap(16, 16));
        stack->addWidget(imgIcon[i], 0, 0);
    }
    addRow(QStringLiteral("Horizontal Alignment"), cboAlign, icons);
    addRow(QStringLiteral("Vertical Alignment"), cboVAlign);
    bindText(QStringLiteral("align"), cboAlign);
    bindText(QStringLiteral("valign"), cboVAlign);
    finishLayout();
}

void frmTableSection::prepareLoad() {
    int member = 1;
    QString caption = QStringLiteral("Table Body");
    if (dialogKind == QLatin1String("thead")) {
        member = 0;
        caption = QStringLiteral("Table Header");
    } else if (dialogKind == QLatin1String("tfoot")) {
        member = 2;
        caption = QStringLiteral("Table Footer");
    }
    // Any other kind writes a body, the section every table has.
    element = QStringList{"thead", "tbody", "tfoot"}.at(member);
    startTag = QLatin1Char('<') + element;
    endTag = QStringLiteral("</") + element + QLatin1Char('>');
    setCaption(caption);
    for (int i = 0; i < 3; ++i) imgIcon[i]->setVisible(i == member);
}

void frmTableSection::insertStartTag(const QString& tag) {
    if (editingTag) insertHtml(tag, QString(), QString(), 3);
    else insertHtml(tag + QStringLiteral("\r\n"), QStringLiteral("\r\n") + endTag, QString(), 1);
}

void frmTableSection::Form_Unload(int& cancel) {
    (void)cancel;
    // The kind was meant for this showing only.
    dialogKind.clear();
}

}  // namespace kavrin
