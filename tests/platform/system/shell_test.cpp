#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <QUrl>

#include "fixture.h"
#include "platform/forms/propertieswindow.h"
#include "platform/system/shell.h"

namespace kavrin::test {
namespace {

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
    Q_INVOKABLE void open(const QUrl& url) { urls << url; }
};

class ShellTest : public KavrinTest {
protected:
    QString trashFiles() const { return homeDir + ".local/share/Trash/files/"; }
    void TearDown() override {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<PropertiesWindow*>(w)) w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        KavrinTest::TearDown();
    }
};

TEST_F(ShellTest, MoveToTrashPutsFileAndFolderIntoTheUsersTrash) {
    const QString file = writeFile("page one.htm", "<p>keep me</p>");
    writeFile("folder/inner.txt", "inner");
    QString error;
    ASSERT_TRUE(moveToTrash(file, &error)) << error.toStdString();
    ASSERT_TRUE(moveToTrash(workDir + "folder", &error)) << error.toStdString();
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_FALSE(QFile::exists(workDir + "folder"));

    const QStringList trashed = QDir(trashFiles()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    ASSERT_EQ(trashed.size(), 2);
    const QString fileInTrash = trashed.filter("page one.htm").value(0);
    const QString folderInTrash = trashed.filter("folder").value(0);
    EXPECT_EQ(readFile(trashFiles() + fileInTrash), "<p>keep me</p>");
    EXPECT_EQ(readFile(trashFiles() + folderInTrash + "/inner.txt"), "inner");
    // The desktop can put it back: the trash knows where it came from.
    const QByteArray info = readFile(homeDir + ".local/share/Trash/info/" + fileInTrash + ".trashinfo");
    EXPECT_TRUE(info.contains("Path=")) << info.toStdString();
}

TEST_F(ShellTest, MoveToTrashFailsWithAReasonAndDeletesNothing) {
    QString error;
    EXPECT_FALSE(moveToTrash(workDir + "missing.htm", &error));
    EXPECT_TRUE(error.contains("missing.htm")) << error.toStdString();
    EXPECT_TRUE(error.contains("does not exist")) << error.toStdString();
    EXPECT_FALSE(moveToTrash("", &error));

    // No trash to be had: the file stays where it is.
    const QString file = writeFile("stays.htm", "data");
    writeFile("notafolder", "x");
    qputenv("XDG_DATA_HOME", (workDir + "notafolder/share").toUtf8());
    error.clear();
    EXPECT_FALSE(moveToTrash(file, &error));
    EXPECT_TRUE(error.contains("could not be moved to the trash")) << error.toStdString();
    EXPECT_EQ(readFile(file), "data");
    EXPECT_FALSE(QDir(QDir::currentPath() + "/files").exists() &&
                 QFile::exists(QDir::currentPath() + "/files/stays.htm"));
}

TEST_F(ShellTest, StartProgramPassesArgumentsWithoutAShell) {
    // Blanks, quotes and a semicolon reach the program as they are.
    const QString target = workDir + "a b; rm -rf 'x'.txt";
    QString error;
    ASSERT_TRUE(startProgram("touch", {target}, &error)) << error.toStdString();
    QElapsedTimer timer;
    timer.start();
    while (!QFile::exists(target) && timer.elapsed() < 5000) QThread::msleep(20);
    EXPECT_TRUE(QFile::exists(target));

    EXPECT_FALSE(startProgram(workDir + "no-such-program", {}, &error));
    EXPECT_TRUE(error.contains("could not be started")) << error.toStdString();
    EXPECT_FALSE(startProgram("  ", {}, &error));
}

TEST_F(ShellTest, OpenWithAssociatedHandsFilesAndAddressesToTheDesktop) {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("file", &catcher, "open");
    QDesktopServices::setUrlHandler("https", &catcher, "open");
    const QString file = writeFile("my page.htm", "x");
    EXPECT_TRUE(openWithAssociated(file));
    EXPECT_TRUE(openWithAssociated("https://example.org/a?b=c"));
    QDesktopServices::unsetUrlHandler("file");
    QDesktopServices::unsetUrlHandler("https");
    ASSERT_EQ(catcher.urls.size(), 2);
    EXPECT_EQ(catcher.urls[0], QUrl::fromLocalFile(file));
    EXPECT_EQ(catcher.urls[1], QUrl("https://example.org/a?b=c"));
    EXPECT_FALSE(openWithAssociated("   "));
}

TEST_F(ShellTest, PropertiesWindowShowsARealFileAndRefusesAMissingOne) {
    const QString file = writeFile("report.htm", QByteArray(1500, 'x'));
    QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    ASSERT_TRUE(showPropertiesWindow(file));
    PropertiesWindow* window = PropertiesWindow::findFor(file);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "report.htm Properties");
    EXPECT_EQ(window->fieldText("Name"), "report.htm");
    EXPECT_EQ(window->fieldText("Location"), QDir::cleanPath(workDir));
    EXPECT_TRUE(window->fieldText("Size").contains(QLocale().toString(qint64(1500)) + " bytes"));
    EXPECT_TRUE(window->fieldText("Size").contains("KB"));
    EXPECT_FALSE(window->fieldText("Modified").isEmpty());
    EXPECT_EQ(window->fieldText("Permissions"), "r--r--r--");
    EXPECT_TRUE(window->readOnlyShown());

    // Asking again brings the same window forward.
    ASSERT_TRUE(showPropertiesWindow(file));
    int windows = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) windows += qobject_cast<PropertiesWindow*>(w) != nullptr;
    EXPECT_EQ(windows, 1);

    EXPECT_FALSE(showPropertiesWindow(workDir + "missing.htm"));
    EXPECT_FALSE(showPropertiesWindow(""));
    EXPECT_EQ(PropertiesWindow::findFor(workDir + "missing.htm"), nullptr);
}

TEST_F(ShellTest, PropertiesOfAFolderCountItsContents) {
    writeFile("site/a.htm", "a");
    writeFile("site/.hidden", "h");
    writeFile("site/img/b.gif", "b");
    std::map<QString, QString> fields;
    for (const auto& [label, text] : fileProperties(workDir + "site")) fields[label] = text;
    EXPECT_EQ(fields["Type"], "Folder");
    EXPECT_EQ(fields["Contains"], "2 files, 1 folder");
    EXPECT_EQ(fields.count("Size"), 0u);
    EXPECT_TRUE(fileProperties(workDir + "nothing").empty());
    const QLocale locale;
    EXPECT_EQ(sizeText(1), locale.toString(0.0, 'f', 2) + " KB (1 byte)");
    EXPECT_EQ(sizeText(1201), locale.toString(1.17, 'f', 2) + " KB (" + locale.toString(1201) + " bytes)");
    EXPECT_EQ(sizeText(5LL << 30), locale.toString(5242880) + " KB (" + locale.toString(5LL << 30) + " bytes)");
}

}  // namespace
}  // namespace kavrin::test

#include "shell_test.moc"
