#include "tools/frmTagCase.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPointer>
#include <QVBoxLayout>

#include "platform/forms/dialogsize.h"
#include "platform/system/screen.h"
#include "tagdialogs/tagdialog.h"

namespace kavrin {

frmTagCase::frmTagCase(QWidget* parent) : Form(parent) {
    setObjectName(QStringLiteral("frmTagCase"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setCaption(QStringLiteral("Change Tag Case"));

    Label1 = new QLabel(QStringLiteral("This procedure will change all of the HTML tags in the current document to "
                                       "either upper or lower case."),
                        this);
    Label1->setWordWrap(true);
    Frame1 = new QGroupBox(this);
    optTagCase << new QRadioButton(QStringLiteral("Change all HTML tags to Upper Case"), Frame1)
               << new QRadioButton(QStringLiteral("Change all HTML tags to Lower Case"), Frame1);
    optTagCase[0]->setChecked(true);
    auto* frameLayout = new QVBoxLayout(Frame1);
    for (QRadioButton* option : optTagCase) frameLayout->addWidget(option);

    Text1 = new QPlainTextEdit(this);
    Text1->setReadOnly(true);
    Text1->setPlainText(QStringLiteral(
        "Make sure that all greater than > and less than < signs not associated with tags are encoded using "
        "&#62; and &#60;.  Scripting languages should be enclosed in comments to hide greater than > and "
        "less than < signs."));
    QPalette grey = Text1->palette();
    grey.setColor(QPalette::Base, palette().color(QPalette::Window));
    Text1->setPalette(grey);
    Text1->setFixedHeight(twipsToPixels(1000));
    Text1->installEventFilter(this);

    Label3 = new QLabel(QStringLiteral("Press OK to continue or Cancel to quit."), this);
    cmdOk = new QPushButton(QStringLiteral("OK"), this);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdOk->setDefault(true);
    cmdCancel->setAutoDefault(false);
    connect(cmdOk, &QPushButton::clicked, this, [this] { cmdOk_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Frame1);
    layout->addWidget(Text1);
    layout->addWidget(Label3);
    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);
    layout->addLayout(buttons);
    setFixedWidth(twipsToPixels(5400));
    fixToContents(this);
}

void frmTagCase::cmdOk_Click() {
    tagCase = optTagCase[0]->isChecked() ? 1 : 2;
    unload();
}

void frmTagCase::cmdCancel_Click() {
    tagCase = 0;
    unload();
}

quint8 frmTagCase::ask() {
    QPointer<frmTagCase> dialog(new frmTagCase(dialogOwner()));
    dialog->showModal();
    // Closed by its frame, the window never set an answer: that is Cancel.
    const quint8 answer = dialog ? dialog->tagCase : 0;
    if (dialog && dialog->isLoaded()) dialog->unload();
    return answer;
}

void frmTagCase::keyPressEvent(QKeyEvent* event) {
    answerDialogKeys(
        event,
        [this] {
            if (!pressFocusedButton()) cmdOk_Click();
        },
        [this] { cmdCancel_Click(); });
}

bool frmTagCase::eventFilter(QObject* watched, QEvent* event) {
    // The warning is there to be read, never to keep the focus.
    if (watched == Text1 && event->type() == QEvent::FocusIn) cmdOk->setFocus();
    return Form::eventFilter(watched, event);
}

}  // namespace kavrin
