#pragma once
// Open From The Web: fetches a page by its address, with a time-out and Cancel, and opens it as a
// new unsaved document; the addresses fetched are kept as a history, most recent first.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QTimer>

#include "platform/forms/form.h"

namespace kavrin {

class InternetTransfer;
class UpDown;

class frmOpenFromWeb : public Form {
    Q_OBJECT
public:
    explicit frmOpenFromWeb(QWidget* parent = nullptr);

    QComboBox* cboUrl = nullptr;
    QLabel* lblTimeout = nullptr;  // "Timeout after"
    QLineEdit* txtTimeout = nullptr;
    UpDown* updTimeout = nullptr;
    QLabel* lblSeconds = nullptr;
    QTimer* tmrTimeout = nullptr;
    InternetTransfer* Inet = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;

    QStringList addressHistory;  // most recent first
    QString pageText;
    bool timedOut = false;

    void cmdOk_Click();
    void cmdCancel_Click();
    void tmrTimeout_Timer();
    void txtTimeout_Change();
    // Steps the time-out by 5 seconds within 5 to 240.
    void updTimeout_Change(bool up);

    // The most entries the history keeps.
    static constexpr int kMaxHistory = 32767;

protected:
    void Form_Load() override;
    void Form_QueryUnload(int& cancel, int unloadMode) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void saveUrlHistory();
    // Opens the text in a new document; false when no window could be made for it.
    void openAsDocument(const QString& text, int encoding);

    bool fetching_ = false;
    bool cancelled_ = false;
};

}  // namespace kavrin
