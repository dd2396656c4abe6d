#include "tagdialogs/tagdialog.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRegularExpressionValidator>
#include <QTextEdit>
#include <QVBoxLayout>

#include <limits>

#include "documents/colouring/colorops.h"
#include "documents/fileops.h"
#include "documents/inserthtml.h"
#include "mainwindow/mdiMain.h"
#include "platform/forms/commondialog.h"
#include "platform/forms/dialogsize.h"
#include "platform/system/screen.h"
#include "tagdialogs/frmColor.h"
#include "tagdialogs/tagparse.h"

namespace kavrin {

namespace {

constexpr int kSwatchDesignColor = 0xC0C0C0;
constexpr int kOpenFlags = cdlOFNLongNames | cdlOFNFileMustExist | cdlOFNHideReadOnly;  // &H201004

QIcon paletteIcon() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    const QColor colors[] = {QColor(0xE0, 0x30, 0x30), QColor(0x30, 0xA0, 0x30), QColor(0x30, 0x50, 0xE0),
                             QColor(0xF0, 0xC0, 0x20)};
    for (int i = 0; i < 4; ++i) {
        p.fillRect(1 + (i % 2) * 7, 1 + (i / 2) * 7, 7, 7, colors[i]);
    }
    p.setPen(QColor(0x40, 0x40, 0x40));
    p.drawRect(1, 1, 13, 13);
    return QIcon(pixmap);
}

}  // namespace

// ---- Small pieces ---------------------------------------------------------------------------------

UpDown::UpDown(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QToolButton** button : {&upButton, &downButton}) {
        *button = new QToolButton(this);
        (*button)->setArrowType(button == &upButton ? Qt::UpArrow : Qt::DownArrow);
        (*button)->setFixedSize(16, 11);
        (*button)->setAutoRepeat(true);
        (*button)->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(*button);
    }
    connect(upButton, &QToolButton::clicked, this, &UpDown::UpClick);
    connect(downButton, &QToolButton::clicked, this, &UpDown::DownClick);
}

void bindRangedSpin(QObject* owner, UpDown* arrows, QLineEdit* field, int min, int max) {
    auto step = [field, min, max](int by) {
        bool ok = false;
        int value = field->text().trimmed().toInt(&ok);
        if (!ok) value = min;
        field->setText(QString::number(std::clamp(value + by, min, max)));
    };
    QObject::connect(arrows, &UpDown::UpClick, owner, [step] { step(1); });
    QObject::connect(arrows, &UpDown::DownClick, owner, [step] { step(-1); });
}

QString fieldText(const QWidget* field) {
    if (auto* edit = qobject_cast<const QLineEdit*>(field)) return edit->text();
    if (auto* combo = qobject_cast<const QComboBox*>(field)) return combo->currentText();
    if (auto* plain = qobject_cast<const QPlainTextEdit*>(field)) return plain->toPlainText();
    if (auto* rich = qobject_cast<const QTextEdit*>(field)) return rich->toPlainText();
    return {};
}

void liftLengthLimits(QWidget* window) {
    // Qt's line edits cut everything past 32,767 characters by default, silently, also what a
    // program puts into them: a long data: address would lose its end at an unchanged OK. A
    // limit a dialog chose itself stays.
    constexpr int kQtDefaultMaxLength = 32767;
    for (QLineEdit* edit : window->findChildren<QLineEdit*>())
        if (edit->maxLength() == kQtDefaultMaxLength) edit->setMaxLength(std::numeric_limits<int>::max());
}

void setFieldText(QWidget* field, const QString& text) {
    if (field) liftLengthLimits(field->window());
    if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->setText(text);
    else if (auto* combo = qobject_cast<QComboBox*>(field)) combo->setEditText(text);
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(field)) plain->setPlainText(text);
    else if (auto* rich = qobject_cast<QTextEdit*>(field)) rich->setPlainText(text);
}

QColor qtColor(int color) { return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF); }

void setSwatchColor(QLabel* swatch, int color) {
    if (!swatch) return;
    color &= 0xFFFFFF;
    QPalette palette = swatch->palette();
    palette.setColor(QPalette::Window, qtColor(color));
    swatch->setPalette(palette);
    swatch->setProperty("swatchColor", color);
}

int swatchColor(const QLabel* swatch) { return swatch ? swatch->property("swatchColor").toInt() : 0; }

QComboBox* choiceBox(const QStringList& items, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setEditable(true);
    combo->addItems(items);
    combo->setInsertPolicy(QComboBox::NoInsert);
    // What the user types is written as typed: no completion from the list.
    combo->setCompleter(nullptr);
    combo->setCurrentIndex(-1);
    combo->setEditText(QString());
    combo->setMinimumWidth(twipsToPixels(1695));
    return combo;
}

QLabel* colorSwatch(QWidget* parent) {
    auto* swatch = new QLabel(parent);
    swatch->setAutoFillBackground(true);
    swatch->setFrameStyle(QFrame::Box | QFrame::Plain);
    swatch->setFixedSize(twipsToPixels(495), twipsToPixels(285));
    setSwatchColor(swatch, kSwatchDesignColor);
    return swatch;
}

QToolButton* colorButton(const QString& toolTip, QWidget* parent) {
    auto* button = new QToolButton(parent);
    static const QIcon icon = paletteIcon();
    button->setIcon(icon);
    button->setToolTip(toolTip);
    return button;
}

void setDigitsOnly(QLineEdit* field) {
    field->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), field));
}

// ---- The dialog model ---------------------------------------------------------------------------------

TagDialog::TagDialog(const QString& elementName, const QString& caption, QWidget* parent)
    : Form(parent), element(elementName) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setCaption(caption);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(twipsToPixels(150), twipsToPixels(150), twipsToPixels(150), twipsToPixels(150));
    outer->setSpacing(twipsToPixels(180));
    grid_ = new QGridLayout();
    grid_->setHorizontalSpacing(twipsToPixels(90));
    grid_->setVerticalSpacing(twipsToPixels(75));
    outer->addLayout(grid_);

    cmdOk = new QPushButton(QStringLiteral("OK"), this);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    for (QPushButton* button : {cmdOk, cmdCancel}) button->setMinimumWidth(twipsToPixels(1095));
    connect(cmdOk, &QPushButton::clicked, this, [this] { cmdOk_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

void TagDialog::addRow(const QString& label, QWidget* field, QWidget* beside1, QWidget* beside2) {
    auto* caption = new QLabel(label, this);
    caption->setBuddy(field);
    grid_->addWidget(caption, rows_, 0);
    if (!beside1 && !beside2) {
        grid_->addWidget(field, rows_, 1);
    } else {
        auto* row = new QHBoxLayout();
        row->setSpacing(twipsToPixels(60));
        row->addWidget(field, 1);
        if (beside1) row->addWidget(beside1);
        if (beside2) row->addWidget(beside2);
        grid_->addLayout(row, rows_, 1);
    }
    ++rows_;
}

void TagDialog::addRow(QWidget* field) { grid_->addWidget(field, rows_++, 1); }

void TagDialog::finishLayout() {
    addButtonRow();

    // Tab goes through the fields in the order they were made, then OK and Cancel.
    tabChain_.clear();
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child != cmdOk && child != cmdCancel && (child->focusPolicy() & Qt::TabFocus)) tabChain_ << child;
    tabChain_ << cmdOk << cmdCancel;
    setTabChain(tabChain_);
}

void TagDialog::addButtonRow(QWidget* left) {
    auto* buttons = new QHBoxLayout();
    if (left) buttons->addWidget(left, 0, Qt::AlignBottom);
    titleRoom_ = new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum);
    buttons->addSpacerItem(titleRoom_);
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);
    static_cast<QVBoxLayout*>(layout())->addLayout(buttons);
    buttonRow_ = buttons;
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    keepTitleWhole();
}

void TagDialog::keepTitleWhole() {
    if (!titleRoom_ || !buttonRow_) return;
    // The layout fixes the window at the size its contents ask for, which would undo any
    // minimum width set from outside; so the gap beside OK and Cancel asks for the width the
    // frame needs to show the whole caption.
    titleRoom_->changeSize(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum);
    buttonRow_->invalidate();
    const QMargins outer = layout()->contentsMargins();
    const int others = buttonRow_->sizeHint().width();
    const int room = qMax(0, titleFitWidth(windowTitle()) - outer.left() - outer.right() - others);
    titleRoom_->changeSize(room, 0, QSizePolicy::Expanding, QSizePolicy::Minimum);
    buttonRow_->invalidate();
}

void TagDialog::changeEvent(QEvent* event) {
    Form::changeEvent(event);
    if (event->type() == QEvent::WindowTitleChange) keepTitleWhole();
}

void TagDialog::setTabChain(const QVector<QWidget*>& chain) {
    for (int i = 1; i < chain.size(); ++i) setTabOrder(chain[i - 1], chain[i]);
}

TagDialog::TabbedArea TagDialog::addTabbedArea() {
    TabbedArea area;
    area.content = new QWidget(this);
    area.columns = new QHBoxLayout(area.content);
    area.columns->setContentsMargins(0, 0, 0, 0);
    area.columns->setSpacing(twipsToPixels(150));
    auto* tabArea = new QVBoxLayout();
    tabArea->setSpacing(0);
    area.columns->addLayout(tabArea);

    area.tabs = new QTabBar(area.content);
    area.tabs->addTab(QStringLiteral("Basic"));
    area.tabs->addTab(QStringLiteral("Advanced"));
    area.tabs->setDrawBase(true);
    tabArea->addWidget(area.tabs, 0, Qt::AlignLeft);
    area.pages = new QGridLayout();
    tabArea->addLayout(area.pages);
    tabArea->addStretch(1);
    grid_->addWidget(area.content, 0, 0);
    return area;
}

void TagDialog::stackPages(QGridLayout* pages, std::initializer_list<QWidget*> list) {
    // The tab decides which page shows; the space stays the same whichever it is.
    for (QWidget* page : list) {
        QSizePolicy policy = page->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        page->setSizePolicy(policy);
        pages->addWidget(page, 0, 0);
    }
}

void TagDialog::bindText(const QString& attribute, QWidget* field) {
    bindings_.push_back({attribute.toLower(), Kind::Text, field, nullptr, ColorHash::AsTyped, {}});
}

void TagDialog::bindFlag(const QString& word, QCheckBox* box) {
    bindings_.push_back({word.toLower(), Kind::Flag, box, nullptr, ColorHash::AsTyped, {}});
}

void TagDialog::bindColor(const QString& attribute, QLineEdit* field, QLabel* swatch, ColorHash hash) {
    bindings_.push_back({attribute.toLower(), Kind::Color, field, swatch, hash, {}});
}

void TagDialog::bindSpin(UpDown* arrows, QLineEdit* field) {
    connect(arrows, &UpDown::UpClick, field, [field] { spinTextBox(field, 1, 0); });
    connect(arrows, &UpDown::DownClick, field, [field] { spinTextBox(field, 0, 0); });
}

void TagDialog::pickColorOnDoubleClick(QWidget* source, QLineEdit* field, QLabel* swatch) {
    pickerSources_.push_back({source, field, swatch});
    source->installEventFilter(this);
}

bool TagDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        for (const PickerSource& p : pickerSources_) {
            if (p.source == watched) {
                pickColor(p.field, p.swatch);
                return true;
            }
        }
    }
    return Form::eventFilter(watched, event);
}

void TagDialog::pickColor(QLineEdit* field, QLabel* swatch) {
    // The picker opens on the colour the field already holds, so OK alone keeps it.
    const QString current = field ? field->text().trimmed() : QString();
    frmColor::pick(current.isEmpty() ? -1 : htmlColorToRgb(current));
    if (frmColor::hexColor.isEmpty()) return;
    if (field) field->setText(frmColor::hexColor);
    setSwatchColor(swatch, frmColor::winColor.toInt());
}

QString TagDialog::browseFile(QLineEdit* field, const QString& title, const QString& filter) {
    CommonDialog dialog;
    dialog.owner = this;
    dialog.dialogTitle = title;
    dialog.filter = filter;
    dialog.flags = kOpenFlags;
    if (!dialog.showOpen()) return {};
    QString path = dialog.fileName;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    field->setText(relativePathTo(path));
    return path;
}

TagDialog::Binding* TagDialog::bindingFor(const QString& lowerName) {
    for (Binding& b : bindings_)
        if (b.attribute == lowerName) return &b;
    return nullptr;
}

void TagDialog::fill(const TagAttribute& attribute) {
    if (attribute.name.isEmpty()) return;
    if (loadAttribute(attribute)) return;
    Binding* b = bindingFor(attribute.name.toLower());
    if (!b) {
        extraAttributes += keptAttributeText(attribute);
        return;
    }
    switch (b->kind) {
    case Kind::Flag:
        if (auto* box = qobject_cast<QCheckBox*>(b->field)) box->setChecked(true);
        break;
    case Kind::Color:
        if (!attribute.value.isEmpty()) setSwatchColor(b->swatch, htmlColorToRgb(attribute.value));
        [[fallthrough]];
    case Kind::Text:
        setFieldText(b->field, attribute.value);
        b->keptBare = attribute.bare ? attribute.name : QString();
        break;
    }
}

void TagDialog::Form_Load() {
    liftLengthLimits(this);
    extraAttributes.clear();
    for (Binding& b : bindings_) b.keptBare.clear();
    prepareLoad();
    if (editingTag)
        for (const TagAttribute& attribute : editTagAttributes) fill(attribute);
    afterLoad();
    if (!tabChain_.isEmpty()) tabChain_.first()->setFocus();
}

QString TagDialog::buildStartTag() const {
    QString tag = QLatin1Char('<') + element;
    for (const Binding& b : bindings_) {
        if (b.kind == Kind::Flag) {
            if (auto* box = qobject_cast<QCheckBox*>(b.field); box && box->isChecked())
                tag += QLatin1Char(' ') + b.attribute;
            continue;
        }
        QString text = fieldText(b.field);
        if (b.kind == Kind::Color && b.hash == ColorHash::HexDigits) text = colorWithHash(text);
        if (!text.isEmpty()) tag += attributeText(b.attribute, text);
        else if (!b.keptBare.isEmpty()) tag += QLatin1Char(' ') + b.keptBare;
    }
    return tag + extraAttributes + QLatin1Char('>');
}

void TagDialog::insertStartTag(const QString& startTag) {
    if (editingTag) insertHtml(startTag, QString(), QString(), 3);
    else insertHtml(startTag, newEndTag(), QString(), newMode());
}

void TagDialog::cmdOk_Click() {
    insertStartTag(buildStartTag());
    unload();
}

void TagDialog::cmdCancel_Click() { unload(); }

void TagDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Enter on a button presses that button, as it always has on this system.
        if (auto* button = qobject_cast<QAbstractButton*>(focusWidget()); button && button->isEnabled()) {
            event->accept();
            button->click();
            return;
        }
        if (enterPressesOk && cmdOk->isEnabled()) {
            event->accept();
            cmdOk_Click();
            return;
        }
        break;
    case Qt::Key_Escape:
        if (escapePressesCancel) {
            event->accept();
            cmdCancel_Click();
            return;
        }
        break;
    default:
        break;
    }
    Form::keyPressEvent(event);
}

// ---- Showing ------------------------------------------------------------------------------------------

QWidget* dialogOwner() { return mainWindow; }

void runModal(Form* form) {
    QPointer<Form> window(form);
    form->showModal();
    if (window && window->isLoaded()) window->unload();
}

QGridLayout* fieldGrid(QWidget* parent) {
    auto* grid = new QGridLayout(parent);
    grid->setHorizontalSpacing(twipsToPixels(90));
    grid->setVerticalSpacing(twipsToPixels(75));
    return grid;
}

QLineEdit* sizedField(QWidget* parent, int twips) {
    auto* field = new QLineEdit(parent);
    field->setFixedWidth(twipsToPixels(twips));
    return field;
}

QWidget* withBeside(QWidget* parent, QWidget* field, QWidget* beside1, QWidget* beside2) {
    auto* cell = new QWidget(parent);
    auto* row = new QHBoxLayout(cell);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(twipsToPixels(60));
    field->setParent(cell);
    row->addWidget(field);
    for (QWidget* w : {beside1, beside2}) {
        if (!w) continue;
        w->setParent(cell);
        row->addWidget(w);
    }
    row->addStretch(1);
    return cell;
}

}  // namespace kavrin
