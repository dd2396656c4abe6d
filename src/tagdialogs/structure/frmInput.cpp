#include "tagdialogs/structure/frmInput.h"

#include <QStyle>

#include "documents/colouring/colorops.h"
#include "documents/documentwindow.h"
#include "documents/inserthtml.h"
#include "platform/system/screen.h"
#include "tagdialogs/tagparse.h"

namespace kavrin {

namespace {

const QString kImageFilter =
    QStringLiteral("Images (*.gif;*.jpg;*.jpeg;*.png)|*.gif;*.jpg;*.jpeg;*.png|All Files (*.*)|*.*");
const QStringList kTabs{"Button", "Checkbox", "Hidden", "Image", "Password", "Radio",
                        "Reset",  "Submit",   "Text",   "Textarea", "Select", "Option"};

// The controls of one kind share places; a hidden one keeps its room so the frame keeps its size.
void keepRoomWhenHidden(QWidget* w) {
    QSizePolicy policy = w->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    w->setSizePolicy(policy);
}

}  // namespace

frmInput::frmInput(QWidget* parent) : TagDialog(QStringLiteral("input"), QStringLiteral("Form Element"), parent) {
    setObjectName(QStringLiteral("frmInput"));

    tbsMain = new QTabBar(this);
    for (const QString& caption : kTabs) tbsMain->addTab(caption);
    tbsMain->setUsesScrollButtons(false);
    tbsMain->setExpanding(false);
    tbsMain->setDrawBase(false);
    fraMain = new QGroupBox(this);
    grid()->addWidget(tbsMain, 0, 0);
    grid()->addWidget(fraMain, 1, 0);

    auto* g = fieldGrid(fraMain);
    auto label = [this](const char* text) { return new QLabel(QString::fromLatin1(text), fraMain); };
    auto small = [this] { return sizedField(fraMain, 615); };

    lblName = label("Name");
    txtName = sizedField(fraMain, 2895);
    lblValue = label("Value");
    txtValue = sizedField(fraMain, 2895);
    cboWrap = choiceBox({"off", "virtual", "physical"}, fraMain);
    cboWrap->setFixedWidth(twipsToPixels(2895));
    cmdImage = new QToolButton(fraMain);
    cmdImage->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    cmdImage->setToolTip(QStringLiteral("Browse"));
    lblAlign = label("Align");
    cboAlign = choiceBox({"right", "left", "top", "middle", "bottom", "texttop", "baseline", "absmiddle", "absbottom"},
                         fraMain);
    lblRows = label("Rows");
    txtRows = small();
    lblCols = label("Cols");
    txtCols = small();
    setDigitsOnly(txtRows);
    setDigitsOnly(txtCols);
    chkMultiple = new QCheckBox(QStringLiteral("Allow Multiple Selections"), fraMain);
    chkSelected = new QCheckBox(QStringLiteral("Selected"), fraMain);
    chkChecked = new QCheckBox(QStringLiteral("Checked"), fraMain);
    lblTabindex = label("Tabindex");
    txtTabindex = small();
    chkNoTab = new QCheckBox(QStringLiteral("NoTab"), fraMain);
    lblSize = label("Size");
    txtSize = small();
    lblMaxLength = label("Max Length");
    txtMaxLength = small();
    lblHeight = label("Height");
    txtHeight = small();
    lblVSpace = label("VSpace");
    txtVSpace = small();
    lblBorder = label("Border");
    txtBorder = small();

    // Rows and Cols stand together where the Align list stands.
    QWidget* rowsCols = withBeside(fraMain, txtRows, lblCols, txtCols);

    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
    // Row 1: name, with the border at the far end.
    g->addWidget(lblName, 0, 0);
    g->addWidget(txtName, 0, 1, left);
    g->addWidget(lblBorder, 0, 5);
    g->addWidget(txtBorder, 0, 6, left);
    // Row 2: value, or the wrap list in its place; Browse beside it.
    g->addWidget(lblValue, 1, 0);
    g->addWidget(txtValue, 1, 1, left);
    g->addWidget(cboWrap, 1, 1, left);
    g->addWidget(cmdImage, 1, 2, left);
    // Row 3: the align list, or rows and cols, or one of the list check boxes; then checked,
    // size and max length.
    g->addWidget(lblAlign, 2, 0);
    g->addWidget(lblRows, 2, 0);
    g->addWidget(cboAlign, 2, 1, left);
    g->addWidget(rowsCols, 2, 1);
    g->addWidget(chkMultiple, 2, 1, left);
    g->addWidget(chkSelected, 2, 1, left);
    g->addWidget(chkChecked, 2, 2, left);
    g->addWidget(lblSize, 2, 3);
    g->addWidget(txtSize, 2, 4, left);
    g->addWidget(lblMaxLength, 2, 5);
    g->addWidget(txtMaxLength, 2, 6, left);
    // Row 4: tab index and NoTab; height and vertical space.
    g->addWidget(lblTabindex, 3, 0);
    g->addWidget(txtTabindex, 3, 1, left);
    g->addWidget(chkNoTab, 3, 2, left);
    g->addWidget(lblHeight, 3, 3);
    g->addWidget(txtHeight, 3, 4, left);
    g->addWidget(lblVSpace, 3, 5);
    g->addWidget(txtVSpace, 3, 6, left);
    g->setColumnStretch(7, 1);
    for (QWidget* w : fraMain->findChildren<QWidget*>()) keepRoomWhenHidden(w);

    addButtonRow();
    setTabChain({tbsMain, txtName, txtBorder, txtValue, cboWrap, cmdImage, cboAlign, txtRows, txtCols, chkMultiple,
                 chkSelected, chkChecked, txtSize, txtMaxLength, txtTabindex, chkNoTab, txtHeight, txtVSpace, cmdOk,
                 cmdCancel});

    connect(tbsMain, &QTabBar::currentChanged, this, [this] { tbsMain_Click(); });
    connect(chkNoTab, &QCheckBox::toggled, this, [this] { chkNoTab_Click(); });
    connect(cmdImage, &QToolButton::clicked, this, [this] { cmdImage_Click(); });
}

QWidget* frmInput::field(FormField f) const {
    switch (f) {
    case FormField::Name: return txtName;
    case FormField::Value: return txtValue;
    case FormField::Align: return cboAlign;
    case FormField::Tabindex: return txtTabindex;
    case FormField::Size: return txtSize;
    case FormField::MaxLength: return txtMaxLength;
    case FormField::Height: return txtHeight;
    case FormField::VSpace: return txtVSpace;
    case FormField::Border: return txtBorder;
    case FormField::Wrap: return cboWrap;
    case FormField::Rows: return txtRows;
    case FormField::Cols: return txtCols;
    case FormField::NoTab: return chkNoTab;
    case FormField::Checked: return chkChecked;
    case FormField::Multiple: return chkMultiple;
    case FormField::Selected: return chkSelected;
    }
    return nullptr;
}

FormFieldValues frmInput::values() const {
    FormFieldValues v;
    for (int i = 0; i < kFormFieldCount; ++i) {
        const auto f = FormField(i);
        if (isFlagField(f)) v.flag(f) = static_cast<QCheckBox*>(field(f))->isChecked();
        else v[f] = fieldText(field(f));
    }
    return v;
}

void frmInput::selectTab(int tab) {
    if (tab < 1 || tab > kFormKindCount) return;
    if (tbsMain->currentIndex() == tab - 1) {
        tbsMain_Click();
        return;
    }
    tbsMain->setCurrentIndex(tab - 1);  // its change runs the kind setup
}

void frmInput::resetFields() {
    for (int i = 0; i < kFormFieldCount; ++i) {
        QWidget* w = field(FormField(i));
        if (auto* box = qobject_cast<QCheckBox*>(w)) box->setChecked(false);
        else setFieldText(w, QString());
    }
    for (QWidget* w : std::initializer_list<QWidget*>{lblName, txtName, lblValue, txtValue, lblAlign, cboAlign,
                                                       lblTabindex, txtTabindex, chkNoTab})
        w->show();
    for (QWidget* w : std::initializer_list<QWidget*>{
             lblSize, txtSize, cmdImage, chkMultiple, chkSelected, lblMaxLength, txtMaxLength, lblBorder, txtBorder,
             lblHeight, txtHeight, lblVSpace, txtVSpace, lblRows, txtRows->parentWidget(), cboWrap, chkChecked})
        w->hide();
    lblMaxLength->setText(QStringLiteral("Max Length"));
    lblSize->setText(QStringLiteral("Size"));
    lblValue->setText(QStringLiteral("Value"));
    lblName->setText(QStringLiteral("Name"));
}

void frmInput::tbsMain_Click() {
    // A change of kind after opening writes that kind's own type.
    if (!loading_) inputType_.reset();
    fraMain->setTitle(QString());
    resetFields();
    auto show = [](std::initializer_list<QWidget*> list) {
        for (QWidget* w : list) w->show();
    };
    auto hide = [](std::initializer_list<QWidget*> list) {
        for (QWidget* w : list) w->hide();
    };
    switch (kind()) {
    case FormKind::Button:
    case FormKind::Reset:
    case FormKind::Submit: lblValue->setText(QStringLiteral("Value (caption)")); break;
    case FormKind::Checkbox:
    case FormKind::Radio: show({chkChecked}); break;
    case FormKind::Hidden: hide({lblAlign, cboAlign, lblTabindex, txtTabindex, chkNoTab}); break;
    case FormKind::Image:
        show({cmdImage, lblBorder, txtBorder, lblSize, txtSize, lblHeight, txtHeight, lblMaxLength, txtMaxLength,
              lblVSpace, txtVSpace});
        lblValue->setText(QStringLiteral("Source"));
        lblSize->setText(QStringLiteral("Width"));
        lblMaxLength->setText(QStringLiteral("HSpace"));
        break;
    case FormKind::Password:
    case FormKind::Text: show({lblSize, txtSize, lblMaxLength, txtMaxLength}); break;
    case FormKind::Textarea:
        show({cboWrap, lblRows, txtRows->parentWidget()});
        hide({txtValue, lblAlign, cboAlign, lblTabindex, txtTabindex, chkNoTab});
        lblValue->setText(QStringLiteral("Wrap"));
        break;
    case FormKind::Select:
        show({chkMultiple});
        hide({lblAlign, cboAlign, lblTabindex, txtTabindex, chkNoTab});
        lblValue->setText(QStringLiteral("Size"));
        break;
    case FormKind::Option:
        show({chkSelected});
        hide({lblAlign, cboAlign, lblTabindex, txtTabindex, chkNoTab});
        lblName->setText(QStringLiteral("Caption"));
        // A new option takes the selected text as its caption.
        if (dialogKind != QLatin1String("option"))
            if (DocumentWindow* doc = activeDocument()) txtName->setText(doc->txtMain->selText());
        break;
    }
}

void frmInput::chkNoTab_Click() {
    if (chkNoTab->isChecked()) {
        // Filling from an edited tag keeps the tab index it has, whatever the order.
        if (!loading_) txtTabindex->clear();
        txtTabindex->setEnabled(false);
    } else {
        txtTabindex->setEnabled(true);
    }
}

void frmInput::cmdImage_Click() {
    const QString path = browseFile(txtValue, QStringLiteral("Select an Image"), kImageFilter);
    if (path.isEmpty()) return;
    // A file that is not a picture leaves the sizes as they were.
    if (!img1.loadPicture(path)) return;
    txtHeight->setText(trimNumber(img1.heightPixels()));
    txtSize->setText(trimNumber(img1.widthPixels()));
}

bool frmInput::editsOwnElement() const {
    return dialogKind == QLatin1String("textarea") || dialogKind == QLatin1String("select") ||
           dialogKind == QLatin1String("option");
}

void frmInput::prepareLoad() {
    loading_ = true;
    kept_.clear();
    inputType_.reset();
    typesToTake_ = 0;
    tbsMain->setEnabled(true);
    selectTab(1);
    if (editsOwnElement()) {
        selectTab(dialogKind == QLatin1String("textarea") ? 10 : dialogKind == QLatin1String("select") ? 11 : 12);
        tbsMain->setEnabled(false);
    }
    if (!editingTag || editsOwnElement()) return;

    // The kind comes from the type before any field is filled, so attributes written ahead of
    // the type still find their fields.
    std::optional<FormKind> typed;
    QStringList types;
    for (const TagAttribute& a : editTagAttributes) {
        if (a.name.toLower() != QLatin1String("type")) continue;
        types << a.value;
        if (const auto k = formKindOfType(a.value)) typed = k;
    }
    if (typed) {
        typesToTake_ = int(types.size());
        selectTab(int(*typed));
    } else {
        // A type the tabs do not name (a file input, say), or none at all: the element keeps
        // it, and shows the fields every text-like input has.
        selectTab(int(FormKind::Text));
        inputType_ = types.isEmpty() ? QString() : types.first();
        typesToTake_ = types.isEmpty() ? 0 : 1;
        if (!types.isEmpty()) fraMain->setTitle(QStringLiteral("Type: ") + types.first());
    }
    if (!types.isEmpty()) tbsMain->setEnabled(false);
}

bool frmInput::loadAttribute(const TagAttribute& attribute) {
    const QString name = attribute.name.toLower();
    if (name == QLatin1String("type") && typesToTake_ > 0) {
        --typesToTake_;
        return true;
    }
    // Only what the kind writes back under the same name goes into a field; everything else
    // stays as it was written. A valued attribute left without its value keeps its bare form.
    const FormAttribute* a = formKindAttribute(kind(), name);
    if (a && isFlagField(a->field)) {
        static_cast<QCheckBox*>(field(a->field))->setChecked(true);
    } else if (a && !attribute.bare) {
        setFieldText(field(a->field), attribute.value);
    } else {
        kept_ << attribute;
        extraAttributes += keptAttributeText(attribute);
    }
    return true;
}

void frmInput::afterLoad() {
    loading_ = false;
    txtName->setFocus();
}

QString frmInput::buildStartTag() const { return formElementTag(kind(), values(), kept_, inputType_); }

void frmInput::insertStartTag(const QString& startTag) {
    // Always in place of the selection; only a new element gets its end tag.
    const bool bare = editingTag || editsOwnElement();
    insertHtml(startTag, bare ? QString() : formElementEndTag(kind()), QString(), 3);
}

void frmInput::Form_Unload(int& cancel) {
    (void)cancel;
    dialogKind.clear();
}

void showFormElementDialog(int presetTab) {
    auto* dialog = new frmInput(dialogOwner());
    dialog->load();
    dialog->selectTab(presetTab);
    runModal(dialog);
}

}  // namespace kavrin
