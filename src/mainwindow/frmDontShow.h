#pragma once
// The notice box: a message the user may silence with "Don't show this message again". Ticking
// the box stores "True" under the notice's key of the settings section "DontShowAgain"; callers
// ask noticeWanted() before they show their notice.
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include "platform/forms/form.h"
#include "platform/files/settingsstore.h"

namespace kavrin {

class frmDontShow : public Form {
    Q_OBJECT
public:
    explicit frmDontShow(QWidget* parent = nullptr);

    // Shows `message` under the caption `title` with the critical icon when `icon` is exactly
    // "critical", else the information icon; returns once the window is gone.
    void init(const QString& message, const QString& title, const QString& icon);

    QLabel* lblMsg = nullptr;
    QLabel* imgInformation = nullptr;
    QLabel* imgCritical = nullptr;
    QCheckBox* chkDontShow = nullptr;
    QPushButton* cmdOk = nullptr;

    void cmdOk_Click();

protected:
    void Form_Load() override;
    void Form_Unload(int& cancel) override;
    void keyPressEvent(QKeyEvent* event) override;
};

// The key of "DontShowAgain" that a notice with this exact title is silenced by; "" for a
// title that has none.
QString dontShowKeyFor(const QString& title);

// False once the user has silenced the notice with this key (any stored value but "False").
bool noticeWanted(const QString& key);

// Creates a notice box over the main window and runs its init.
void showNotice(const QString& message, const QString& title, const QString& icon);

// Where the notice box writes its key; tests point it at their own recorder.
using SettingWriter = bool (*)(const QString& app, const QString& section, const QString& key,
                               const QString& value);
inline SettingWriter dontShowSettingWriter = &saveSetting;

}  // namespace kavrin
