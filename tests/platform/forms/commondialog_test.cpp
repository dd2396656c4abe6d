#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QPrinter>
#include <QTimer>

#include "fixture.h"
#include "platform/forms/commondialog.h"
#include "platform/forms/dialoghooks.h"

namespace kavrin::test {
namespace {

using CommonDialogTest = KavrinTest;

TEST_F(CommonDialogTest, FilterTextBecomesQtFilters) {
    EXPECT_EQ(CommonDialog::qtFilters("HTML Files (*.htm)|*.htm;*.html|All Files|*.*"),
              (QStringList{"HTML Files (*.htm) (*.htm *.html)", "All Files (*)"}));
    EXPECT_EQ(CommonDialog::qtFilters(""), QStringList{});
    // A name without a pattern is dropped, as the Windows dialog drops it.
    EXPECT_EQ(CommonDialog::qtFilters("Text|*.txt|Lonely"), QStringList{"Text (*.txt)"});
    EXPECT_EQ(CommonDialog::qtFilters("Text| *.txt ; *.TXT ;;"), QStringList{"Text (*.txt *.TXT)"});
    EXPECT_EQ(CommonDialog::qtFilters("|*.css"), QStringList{"*.css (*.css)"});
    EXPECT_EQ(CommonDialog::qtFilters("Anything|"), QStringList{"Anything (*)"});
}

TEST_F(CommonDialogTest, EachDialogAsksTheHookWithItsKind) {
    QStringList kinds;
    dialogHooks().commonDialog = [&](CommonDialog& d, const QString& kind) {
        kinds << kind;
        if (kind == "open") d.fileNames = QStringList{workDir + "a.htm", workDir + "b.htm"};
        if (kind == "save") d.fileName = workDir + "new.htm";
        if (kind == "color") d.color = 0x12345678;
        if (kind == "print") d.printSelection = !d.printSelection;
        if (kind == "folder") {
            EXPECT_EQ(d.dialogTitle, "Choose a folder");
            EXPECT_EQ(d.initDir, workDir);
            d.fileName = workDir + "chosen";
        }
        return true;
    };

    CommonDialog open;
    open.flags = cdlOFNAllowMultiselect;
    ASSERT_TRUE(open.showOpen());
    // The first of several chosen files is the file name too.
    EXPECT_EQ(open.fileName, workDir + "a.htm");

    CommonDialog save;
    ASSERT_TRUE(save.showSave());
    EXPECT_EQ(save.fileNames, QStringList{workDir + "new.htm"});

    CommonDialog color;
    ASSERT_TRUE(color.showColor());
    EXPECT_EQ(color.color, 0x345678);  // a colour is 24 bits

    QPrinter printer;
    CommonDialog print;
    print.flags = cdlPDReturnDC | cdlPDNoPageNums | cdlPDSelection;
    ASSERT_TRUE(print.showPrinter(&printer));
    EXPECT_FALSE(print.printSelection);
    EXPECT_EQ(print.flags & cdlPDSelection, 0);
    EXPECT_EQ(printer.printRange(), QPrinter::AllPages);

    EXPECT_EQ(pickFolder("Choose a folder", workDir), workDir + "chosen");
    EXPECT_EQ(kinds, (QStringList{"open", "save", "color", "print", "folder"}));
}

TEST_F(CommonDialogTest, CancelLeavesTheFieldsAsTheyWere) {
    expectDialogCancel("open");
    expectDialogCancel("save");
    expectDialogCancel("folder");
    CommonDialog d;
    d.fileName = "kept.htm";
    EXPECT_FALSE(d.showOpen());
    EXPECT_FALSE(d.showSave());
    EXPECT_EQ(d.fileName, "kept.htm");
    EXPECT_EQ(pickFolder("Folder", workDir), "");
}

// The real dialogs, driven the way a person would: find the dialog once it is up, answer it.
class RealDialogTest : public KavrinTest {
protected:
    void SetUp() override {
        KavrinTest::SetUp();
        dialogHooks().commonDialog = nullptr;
    }
    template <class Dialog>
    void whenShown(std::function<void(Dialog*)> answer) {
        QTimer::singleShot(0, [answer] {
            auto* d = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            ASSERT_NE(d, nullptr) << "no dialog came up";
            answer(d);
        });
    }
};

TEST_F(RealDialogTest, SaveDialogReportsFileAndFilterAndAsksNoOverwriteQuestionUnlessTold) {
    writeFile("exists.txt", "old");
    CommonDialog d;
    d.dialogTitle = "Save File";
    d.filter = "HTML Files|*.htm;*.html|Text Files|*.txt|All Files|*.*";
    d.filterIndex = 2;
    d.initDir = workDir;
    d.flags = cdlOFNHideReadOnly | cdlOFNPathMustExist | cdlOFNLongNames;
    whenShown<QFileDialog>([this](QFileDialog* f) {
        EXPECT_EQ(f->windowTitle(), "Save File");
        EXPECT_TRUE(f->testOption(QFileDialog::DontConfirmOverwrite));
        EXPECT_TRUE(f->selectedNameFilter().startsWith("Text Files"));
        EXPECT_EQ(QDir(f->directory()).absolutePath() + '/', workDir);
        f->selectNameFilter("All Files (*)");
        f->selectFile(workDir + "exists.txt");
        static_cast<QDialog*>(f)->accept();
    });
    ASSERT_TRUE(d.showSave());
    EXPECT_EQ(d.fileName, workDir + "exists.txt");
    EXPECT_EQ(d.filterIndex, 3);

    d.flags |= cdlOFNOverwritePrompt;
    whenShown<QFileDialog>([](QFileDialog* f) {
        EXPECT_FALSE(f->testOption(QFileDialog::DontConfirmOverwrite));
        f->reject();
    });
    EXPECT_FALSE(d.showSave());
    EXPECT_EQ(d.fileName, workDir + "exists.txt");
}

TEST_F(RealDialogTest, OpenDialogStartsAtTheProposedFileAndMatchesStarDotStarWithoutADot) {
    writeFile("sub/page.htm", "x");
    writeFile("sub/README", "x");
    CommonDialog d;
    d.filter = "All Files|*.*";
    d.fileName = workDir + "sub/page.htm";
    d.flags = cdlOFNFileMustExist;
    whenShown<QFileDialog>([this](QFileDialog* f) {
        EXPECT_EQ(QDir(f->directory()).absolutePath() + '/', workDir + "sub/");
        EXPECT_EQ(f->fileMode(), QFileDialog::ExistingFile);
        EXPECT_EQ(f->nameFilters(), QStringList{"All Files (*)"});
        f->selectFile(workDir + "sub/README");
        static_cast<QDialog*>(f)->accept();
    });
    ASSERT_TRUE(d.showOpen());
    EXPECT_EQ(d.fileName, workDir + "sub/README");
    EXPECT_EQ(d.fileNames, QStringList{workDir + "sub/README"});
    EXPECT_EQ(d.filterIndex, 1);
}

TEST_F(RealDialogTest, ColourDialogKeepsRedInTheLowByte) {
    CommonDialog d;
    d.color = 0x0000ff;  // red
    whenShown<QColorDialog>([](QColorDialog* c) {
        EXPECT_EQ(c->currentColor(), QColor(255, 0, 0));
        c->setCurrentColor(QColor(0x11, 0x22, 0x33));
        c->accept();
    });
    ASSERT_TRUE(d.showColor());
    EXPECT_EQ(d.color, 0x332211);
}

}  // namespace
}  // namespace kavrin::test
