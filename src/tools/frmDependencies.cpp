#include "tools/frmDependencies.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QVBoxLayout>

#include "documents/documentwindow.h"
#include "platform/system/screen.h"
#include "tools/dependencies.h"

namespace kavrin {

frmDependencies::frmDependencies(QWidget* parent) : Form(parent) {
    setObjectName(QStringLiteral("frmDependencies"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setCaption(QStringLiteral("File Dependencies"));

    fraFileTypes = new QGroupBox(QStringLiteral("File types"), this);
    chkHTML = new QCheckBox(QStringLiteral("HTML Files"), fraFileTypes);
    chkImage = new QCheckBox(QStringLiteral("Image Files"), fraFileTypes);
    chkOther = new QCheckBox(QStringLiteral("Other"), fraFileTypes);
    chkHTML->setChecked(true);
    chkImage->setChecked(true);
    auto* types = new QHBoxLayout(fraFileTypes);
    types->addWidget(chkHTML);
    types->addWidget(chkImage);
    types->addWidget(chkOther);

    lstFiles = new QListWidget(this);
    lstFiles->setSelectionMode(QAbstractItemView::ExtendedSelection);
    pbr1 = new QProgressBar(this);
    pbr1->setTextVisible(false);
    pbr1->hide();
    cmdStart = new QPushButton(QStringLiteral("&Start"), this);
    cmdCopy = new QPushButton(QStringLiteral("C&opy"), this);
    cmdClose = new QPushButton(QStringLiteral("Close"), this);
    cmdStart->setDefault(true);
    cmdCopy->setAutoDefault(false);
    cmdClose->setAutoDefault(false);
    cmdCopy->setEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraFileTypes);
    layout->addWidget(lstFiles, 1);
    layout->addWidget(pbr1);
    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    buttons->addWidget(cmdStart);
    buttons->addWidget(cmdCopy);
    buttons->addWidget(cmdClose);
    layout->addLayout(buttons);
    resize(twipsToPixels(5400), twipsToPixels(5000));

    connect(cmdStart, &QPushButton::clicked, this, [this] { cmdStart_Click(); });
    connect(cmdCopy, &QPushButton::clicked, this, [this] { cmdCopy_Click(); });
    connect(cmdClose, &QPushButton::clicked, this, [this] { cmdClose_Click(); });
}

void frmDependencies::cmdStart_Click() {
    setBusy(true);
    lstFiles->clear();
    dependencyNames.clear();
    // The page as it stands in its window, saved or not.
    if (DocumentWindow* doc = activeDocument()) {
        const QStringList lines = tagLines(doc->txtMain->text());
        qint64 total = 0;
        for (const QString& line : lines) total += line.size() + 2;
        pbr1->setRange(0, int(qMin<qint64>(total, INT_MAX)));
        pbr1->setValue(0);
        pbr1->show();
        const DependencyKinds kinds{chkHTML->isChecked(), chkImage->isChecked(), chkOther->isChecked()};
        dependencyNames = scanDependencies(lines, kinds, [this](qint64 position) {
            pbr1->setValue(int(qMin<qint64>(position, INT_MAX)));
        });
        lstFiles->addItems(dependencyNames);
    }
    cmdCopy->setEnabled(lstFiles->count() > 0);
    pbr1->hide();
    pbr1->setValue(0);
    setBusy(false);
}

void frmDependencies::cmdCopy_Click() {
    QString text;
    for (int i = 0; i < lstFiles->count(); ++i)
        if (lstFiles->item(i)->isSelected()) text += lstFiles->item(i)->text() + QStringLiteral("\r\n");
    if (text.isEmpty()) return;
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

void frmDependencies::cmdClose_Click() { unload(); }

void frmDependencies::keyPressEvent(QKeyEvent* event) {
    answerDialogKeys(
        event,
        [this] {
            if (!pressFocusedButton()) cmdStart_Click();
        },
        [this] { cmdClose_Click(); });
}

}  // namespace kavrin
