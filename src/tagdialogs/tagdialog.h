#pragma once
// The one model every tag dialog follows. A dialog binds its fields to attribute names in the
// order the attributes are written; the base fills them from the tag being edited (keeping what
// it has no field for in extraAttributes), builds the start tag on OK and hands it to
// insertHtml: in place of the edited tag, or as a new element with the dialog's own end tag and
// mode. A dialog object lives for one showing; openers create it, show it modally and forget it.
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QToolButton>
#include <QVector>

#include "documents/globals.h"
#include "platform/forms/form.h"

namespace kavrin {

// The up and down arrows beside a number field.
class UpDown : public QWidget {
    Q_OBJECT
public:
    explicit UpDown(QWidget* parent = nullptr);
    QToolButton* upButton = nullptr;
    QToolButton* downButton = nullptr;

signals:
    void UpClick();
    void DownClick();
};

// Arrows that step the number in the field by 1 within min to max. They start from the number
// in the box, so a typed number steps on from itself; text that is no number counts as min.
void bindRangedSpin(QObject* owner, UpDown* arrows, QLineEdit* field, int min, int max);

// Text of a field that holds text: line edit, combo box (its edit text) or multi-line box.
QString fieldText(const QWidget* field);
void setFieldText(QWidget* field, const QString& text);
// A colour value (red in the low byte) as Qt paints it.
QColor qtColor(int color);
// Lets every line edit of the window (combo boxes' too) hold text of any length, unless the
// window gave it a limit of its own.
void liftLengthLimits(QWidget* window);
// A swatch label's colour (red in the low byte).
void setSwatchColor(QLabel* swatch, int color);
int swatchColor(const QLabel* swatch);
// A combo box whose text may be typed freely and whose list only offers values; text empty.
QComboBox* choiceBox(const QStringList& items, QWidget* parent);
// A label that shows a colour, light grey until one is chosen.
QLabel* colorSwatch(QWidget* parent);
// The picture button beside a colour field.
QToolButton* colorButton(const QString& toolTip, QWidget* parent);
// Lets only the digits 0 to 9 into a field; editing keys keep working and pasted text is filtered.
void setDigitsOnly(QLineEdit* field);
// A grid for rows of captions and fields, spaced as every dialog spaces them.
QGridLayout* fieldGrid(QWidget* parent);
// A text field of the given width in twips.
QLineEdit* sizedField(QWidget* parent, int twips);
// A field with up to two controls beside it, as one cell of a dialog's grid.
QWidget* withBeside(QWidget* parent, QWidget* field, QWidget* beside1, QWidget* beside2 = nullptr);
// Each caption beside its cell in the grid's first two columns, from the top; the space below stretches.
template <class Rows>
void addLabelledRows(QGridLayout* grid, QWidget* parent, const Rows& rows) {
    int row = 0;
    for (const auto& [text, cell] : rows) {
        grid->addWidget(new QLabel(QString::fromLatin1(text), parent), row, 0);
        grid->addWidget(cell, row++, 1);
    }
    grid->setRowStretch(row, 1);
}

// How a colour field's text is written.
enum class ColorHash {
    AsTyped,    // exactly as typed
    HexDigits,  // "#" in front of three or six hexadecimal digits
};

class TagDialog : public Form {
    Q_OBJECT
public:
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;
    // The edited tag's attributes that no field takes, each as written back: a blank and the
    // name, and "=" with the quoted value when there is one. Empty for a new element.
    QString extraAttributes;

    virtual void cmdOk_Click();
    void cmdCancel_Click();
    // The start tag the fields give now.
    virtual QString buildStartTag() const;

protected:
    TagDialog(const QString& element, const QString& caption, QWidget* parent);

    // ---- Fields, bound in the order their attributes are written ----
    // Text: a line edit, an editable combo box or a multi-line box; written when not empty.
    void bindText(const QString& attribute, QWidget* field);
    // Flag word: written bare when the box is checked; any value in the tag is ignored.
    void bindFlag(const QString& word, QCheckBox* box);
    // Colour: a text field with its swatch; the swatch follows the value read from a tag.
    void bindColor(const QString& attribute, QLineEdit* field, QLabel* swatch,
                   ColorHash hash = ColorHash::AsTyped);
    // The arrows step the number in the field by 1, never below 0, keeping a trailing "%".
    void bindSpin(UpDown* arrows, QLineEdit* field);
    // A double-click on `source` opens the colour picker for the field.
    void pickColorOnDoubleClick(QWidget* source, QLineEdit* field, QLabel* swatch);

    // ---- Helpers of the buttons ----
    // Shows the colour picker; a chosen colour goes into the field (six hexadecimal digits) and
    // the swatch. Cancel changes nothing.
    void pickColor(QLineEdit* field, QLabel* swatch);
    // Shows the open dialog; the chosen file goes into the field relative to the document.
    // Cancel changes nothing. Returns the chosen file's full path, "" after Cancel.
    QString browseFile(QLineEdit* field, const QString& title, const QString& filter);

    // ---- Layout: rows of label and field, then OK and Cancel at the foot ----
    void addRow(const QString& label, QWidget* field, QWidget* beside1 = nullptr, QWidget* beside2 = nullptr);
    // A row without a label (a check box, say).
    void addRow(QWidget* field);
    QGridLayout* grid() const { return grid_; }
    void finishLayout();

    // ---- Layout of a dialog with "Basic" and "Advanced" pages ----
    struct TabbedArea {
        QWidget* content = nullptr;      // all above OK and Cancel, already in the grid
        QHBoxLayout* columns = nullptr;  // the tab area first; a preview may follow it
        QTabBar* tabs = nullptr;
        QGridLayout* pages = nullptr;    // the pages go in with stackPages
    };
    TabbedArea addTabbedArea();
    void stackPages(QGridLayout* pages, std::initializer_list<QWidget*> list);
    // OK and Cancel at the foot, with `left` (when given) at the other end; the size is fixed.
    void addButtonRow(QWidget* left = nullptr);
    static void setTabChain(const QVector<QWidget*>& chain);

    // ---- Where dialogs differ ----
    // Own preparation at every load, before the fields are filled from an edited tag.
    virtual void prepareLoad() {}
    // An attribute the dialog reads itself (a composite field, say); true when taken.
    virtual bool loadAttribute(const TagAttribute& attribute) {
        (void)attribute;
        return false;
    }
    virtual void afterLoad() {}
    // End tag and mode of a new element.
    virtual QString newEndTag() const { return {}; }
    virtual int newMode() const { return 1; }
    // Puts the start tag into the document: in place of the edited tag, or as a new element.
    virtual void insertStartTag(const QString& startTag);

    // The element written after "<".
    QString element;
    // Enter presses OK and Esc presses Cancel unless a dialog turns them off.
    bool enterPressesOk = true;
    bool escapePressesCancel = true;

    void Form_Load() override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Kind { Text, Flag, Color };
    struct Binding {
        QString attribute;  // lower case
        Kind kind;
        QWidget* field;
        QLabel* swatch = nullptr;
        ColorHash hash = ColorHash::AsTyped;
        // Name as written when the edited tag had this attribute without a value: kept so.
        QString keptBare;
    };
    struct PickerSource {
        QWidget* source;
        QLineEdit* field;
        QLabel* swatch;
    };
    Binding* bindingFor(const QString& lowerName);
    void fill(const TagAttribute& attribute);

    QVector<Binding> bindings_;
    QVector<PickerSource> pickerSources_;
    // Widens the button row so that the window's frame can show the whole caption.
    void keepTitleWhole();

    QGridLayout* grid_ = nullptr;
    int rows_ = 0;
    QHBoxLayout* buttonRow_ = nullptr;
    QSpacerItem* titleRoom_ = nullptr;
    QVector<QWidget*> tabChain_;
};

// The window that owns the dialogs: the main window when there is one.
QWidget* dialogOwner();
// Shows a window modally and makes sure it is unloaded when the modal show returns.
void runModal(Form* form);
template <class Dialog>
void showModalDialog() {
    runModal(new Dialog(dialogOwner()));
}

}  // namespace kavrin
