#pragma once
// "List Wizard": two pages that turn items (the selected lines to begin with) into an ordered,
// unordered or definition list in place of the selection.
#include <QGroupBox>
#include <QListWidget>
#include <QRadioButton>
#include <QStringList>

#include "platform/forms/form.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kavrin {

enum class ListStyle { Ordered, Unordered, Definition };

// The items a selection gives: its lines (split at each CR LF), untrimmed, without those that
// are empty or blank.
QStringList listItemsFromSelection(const QString& selected);

// The list's text: `start` holds the start tag and the items, each on a line of its own,
// `end` the end tag. `bullet` is the type as the wizard shows it; unordered types are written
// as HTML names them ("Disk" as disc).
struct ListMarkup {
    QString start;
    QString end;
};
ListMarkup buildListMarkup(ListStyle style, const QString& bullet, const QStringList& items);

// The key of the bullet picture for a style and the type chosen ("" when none is).
QString bulletPictureKey(ListStyle style, const QString& bullet);
// A small sample list in the style of a key: "disk", "circle", "square", "number", "ol a",
// "ol lower a", "ol i", "ol lower i" or "dl".
QPixmap bulletPicture(const QString& key);

class frmList : public Form {
    Q_OBJECT
public:
    explicit frmList(QWidget* parent = nullptr);

    QWidget* picImage = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* imgMain = nullptr;
    QWidget* picMain[2] = {};
    QLineEdit* txtItem = nullptr;
    QListWidget* lstItems = nullptr;
    QPushButton* cmdAdd = nullptr;
    QPushButton* cmdRemove = nullptr;
    QGroupBox* fraStyle = nullptr;
    QRadioButton* optOrdered = nullptr;
    QRadioButton* optUnordered = nullptr;
    QRadioButton* optDefinition = nullptr;
    QGroupBox* fraBullet = nullptr;
    QComboBox* cboBullet = nullptr;
    QPushButton* cmdBack = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdNext = nullptr;

    // The page shown: 0 the items, 1 the style.
    int wizardStep = 0;
    bool itemHasFocus = false;

    void cmdAdd_Click();
    void cmdRemove_Click();
    void cmdNext_Click();
    void cmdBack_Click();
    void cmdCancel_Click();
    // The key of the bullet picture shown now.
    QString bulletKey() const;
    ListStyle listStyle() const;

protected:
    void Form_Load() override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void styleChosen(ListStyle style);
    void showBulletPicture();
    // Enter belongs to the window whatever has the focus: Add while typing an item, else Next.
    void enterPressed();
};

// Shows the list wizard modally over the active document.
void showListWizard();

}  // namespace kavrin
