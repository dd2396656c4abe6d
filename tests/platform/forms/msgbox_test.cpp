// The message and input boxes as a person sees them: the real dialogs, not the test responder.
#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

#include "fixture.h"
#include "platform/forms/dialoghooks.h"
#include "platform/forms/msgbox.h"

namespace kavrin::test {
namespace {

using MessageBoxTest = KavrinTest;

// What the open box's label shows, read once the box is up; then the box is answered by Escape.
template <typename Box>
QString shownText(const std::function<void()>& ask) {
    QString shown;
    bool found = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<Box*>(QApplication::activeModalWidget());
        if (!box) return;
        for (QLabel* label : box->template findChildren<QLabel*>()) {
            if (label->text().isEmpty()) continue;  // the icon
            found = true;
            // A label left to guess reads "<li>" as markup and drops it.
            shown = label->textFormat() == Qt::PlainText ? label->text() : "(not plain text) " + label->text();
            // A label with a buddy reads "&" as the mark of an underlined letter.
            if (label->buddy()) shown = "(with a buddy) " + shown;
        }
        box->reject();
    });
    ask();
    return found ? shown : QStringLiteral("(no box)");
}

TEST_F(MessageBoxTest, TextsShowAsWrittenWithMarkupCharactersAndAmpersands) {
    auto& hooks = dialogHooks();
    hooks.msgBox = nullptr;
    hooks.inputBox = nullptr;
    const QString replaced = "The string '<li>' was replaced 3 times.";
    EXPECT_EQ(shownText<QMessageBox>([&] { msgBox(replaced, vbInformation); }).toStdString(), replaced.toStdString());
    const QString file = "Cannot open 'R&D <draft>.htm'.";
    EXPECT_EQ(shownText<QMessageBox>([&] { msgBox(file, vbExclamation); }).toStdString(), file.toStdString());
    const QString prompt = "Name for <b>Tom & Jerry</b>:";
    EXPECT_EQ(shownText<QInputDialog>([&] { inputBox(prompt); }).toStdString(), prompt.toStdString());
}

}  // namespace
}  // namespace kavrin::test
