#pragma once
// The Spelling window: the unknown word, suggestions and a replacement, the user's decisions as
// buttons, and the four skip options. Each word button acts and then resumes the run's scan.
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "platform/forms/form.h"

namespace kavrin {

class frmSpell : public Form {
    Q_OBJECT
public:
    explicit frmSpell(QWidget* parent = nullptr);

    // True from load to unload; the run shows the window only while it is False.
    bool formVisible = false;

    QLabel* lblDictionary = nullptr;
    QLineEdit* txtWord = nullptr;
    QLabel* lblReplace = nullptr;
    QLineEdit* txtReplace = nullptr;
    QLabel* lblSuggest = nullptr;
    QListWidget* lstSuggest = nullptr;
    QPushButton* cmdIgnore = nullptr;
    QPushButton* cmdIgnoreAll = nullptr;
    QPushButton* cmdAdd = nullptr;
    QPushButton* cmdChange = nullptr;
    QPushButton* cmdChangeAll = nullptr;
    QPushButton* cmdCancel = nullptr;
    QFrame* Line1 = nullptr;
    QFrame* Line2 = nullptr;
    QCheckBox* chkSkipTags = nullptr;
    QCheckBox* chkSkipFiles = nullptr;
    QCheckBox* chkSkipNums = nullptr;
    QCheckBox* chkSkipUCase = nullptr;

    // Shows a word under review with its suggestions (the first one becomes the replacement).
    void showWord(const QString& word, const QStringList& suggestions);

    void txtWord_Change();
    void txtReplace_Change();
    void lstSuggest_Click(QListWidgetItem* item);
    void cmdIgnore_Click();
    void cmdIgnoreAll_Click();
    void cmdAdd_Click();
    void cmdChange_Click();
    void cmdChangeAll_Click();
    void cmdCancel_Click();

protected:
    void Form_Load() override;
    void Form_Unload(int& cancel) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Empties the word, the replacement and the suggestions, then scans on.
    void resume();
    // The replacement after the user's check of its words and the capital rule; false when the
    // user declined an unknown word of it.
    bool prepareReplacement(const QString& word, QString& rep);
    void updateButtons();
    bool unloadingNow_ = false;

    friend void endSpellCheck();
};

// The one Spelling window; created (not loaded) when `create` is set and there is none.
frmSpell* spellForm(bool create = false);

}  // namespace kavrin
