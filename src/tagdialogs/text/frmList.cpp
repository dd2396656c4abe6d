#include "tagdialogs/text/frmList.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "documents/colouring/colorops.h"
#include "documents/documentwindow.h"
#include "documents/inserthtml.h"
#include "platform/system/screen.h"
#include "tagdialogs/tagdialog.h"

namespace kavrin {

namespace {

const QStringList kOrderedTypes{"1", "A", "a", "I", "i"};
const QStringList kUnorderedTypes{"Disk", "Square", "Circle"};

QString htmlBulletType(ListStyle style, const QString& bullet) {
    if (style != ListStyle::Unordered) return bullet;
    // What the list shows is not always what HTML calls it.
    if (bullet == QLatin1String("Disk")) return QStringLiteral("disc");
    if (bullet == QLatin1String("Square")) return QStringLiteral("square");
    if (bullet == QLatin1String("Circle")) return QStringLiteral("circle");
    return bullet;
}

QString roman(int n, bool upper) {
    static const char* const numerals[] = {"i", "ii", "iii"};
    const QString s = QString::fromLatin1(numerals[n]);
    return upper ? s.toUpper() : s;
}

// The wizard's own picture: a page with a list on it.
QPixmap wizardPicture() {
    QPixmap pixmap(twipsToPixels(1800), twipsToPixels(2700));
    QPainter p(&pixmap);
    QLinearGradient sky(0, 0, 0, pixmap.height());
    sky.setColorAt(0, QColor(0x1C, 0x3C, 0x8C));
    sky.setColorAt(1, QColor(0x5A, 0x8C, 0xD2));
    p.fillRect(pixmap.rect(), sky);
    p.setRenderHint(QPainter::Antialiasing);
    const QRect page(18, 22, pixmap.width() - 36, pixmap.height() - 44);
    p.setPen(QColor(0x30, 0x30, 0x30));
    p.setBrush(Qt::white);
    p.drawRect(page);
    for (int i = 0; i < 6; ++i) {
        const int y = page.top() + 16 + i * 22;
        if (y + 8 > page.bottom()) break;
        p.setBrush(QColor(0xD0, 0x40, 0x30));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPoint(page.left() + 12, y), 3, 3);
        p.setBrush(QColor(0x90, 0x90, 0x90));
        p.drawRect(page.left() + 20, y - 2, page.width() - 30 - (i % 3) * 10, 4);
    }
    return pixmap;
}

}  // namespace

QStringList listItemsFromSelection(const QString& selected) {
    QStringList items;
    if (selected.isEmpty()) return items;
    for (const QString& line : selected.split(QStringLiteral("\r\n")))
        if (!line.trimmed().isEmpty()) items << line;
    return items;
}

ListMarkup buildListMarkup(ListStyle style, const QString& bullet, const QStringList& items) {
    ListMarkup list;
    QString prefix = QStringLiteral("<li>");
    if (style == ListStyle::Definition) {
        list.start = QStringLiteral("<dl>");
        list.end = QStringLiteral("</dl>");
        prefix = QStringLiteral("<dd>");
    } else {
        const QString name = style == ListStyle::Ordered ? QStringLiteral("ol") : QStringLiteral("ul");
        list.start = QLatin1Char('<') + name;
        if (!bullet.isEmpty()) list.start += QStringLiteral(" type=\"") + htmlBulletType(style, bullet) + QLatin1Char('"');
        list.start += QLatin1Char('>');
        list.end = QStringLiteral("</") + name + QLatin1Char('>');
    }
    for (const QString& item : items) list.start += QStringLiteral("\r\n") + prefix + item;
    if (!items.isEmpty()) list.start += QStringLiteral("\r\n");
    return list;
}

QString bulletPictureKey(ListStyle style, const QString& bullet) {
    static const std::pair<const char*, const char*> keys[] = {
        {"Disk", "disk"}, {"Circle", "circle"}, {"Square", "square"}, {"1", "number"},       {"A", "ol a"},
        {"a", "ol lower a"}, {"I", "ol i"},     {"i", "ol lower i"},
    };
    for (const auto& [text, key] : keys)
        if (bullet == QLatin1String(text)) return QString::fromLatin1(key);
    if (style == ListStyle::Ordered) return QStringLiteral("number");
    if (style == ListStyle::Unordered) return QStringLiteral("disk");
    return QStringLiteral("dl");
}

QPixmap bulletPicture(const QString& key) {
    QPixmap pixmap(twipsToPixels(1200), twipsToPixels(900));
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QFont font = p.font();
    font.setPixelSize(10);
    p.setFont(font);
    const QColor ink(0x20, 0x20, 0x20);
    const QColor line(0x98, 0x98, 0x98);
    for (int i = 0; i < 3; ++i) {
        const int y = 12 + i * 17;
        int textLeft = 22;
        p.setPen(ink);
        p.setBrush(ink);
        if (key == QLatin1String("disk")) {
            p.drawEllipse(QPoint(12, y), 3, 3);
        } else if (key == QLatin1String("circle")) {
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QPoint(12, y), 3, 3);
        } else if (key == QLatin1String("square")) {
            p.setPen(Qt::NoPen);
            p.drawRect(9, y - 3, 6, 6);
        } else if (key == QLatin1String("dl")) {
            // A term flush left, its description indented below it.
            textLeft = i == 1 ? 16 : 6;
        } else {
            QString marker;
            if (key == QLatin1String("number")) marker = QString::number(i + 1);
            else if (key == QLatin1String("ol a")) marker = QChar(u'A' + i);
            else if (key == QLatin1String("ol lower a")) marker = QChar(u'a' + i);
            else if (key == QLatin1String("ol i")) marker = roman(i, true);
            else if (key == QLatin1String("ol lower i")) marker = roman(i, false);
            p.drawText(QRect(0, y - 7, 20, 14), Qt::AlignRight | Qt::AlignVCenter, marker + QLatin1Char('.'));
        }
        p.setPen(Qt::NoPen);
        p.setBrush(line);
        p.drawRect(textLeft, y - 2, pixmap.width() - textLeft - 8 - (i % 2) * 12, 4);
    }
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.setBrush(Qt::NoBrush);
    p.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
    return pixmap;
}

frmList::frmList(QWidget* parent) : Form(parent) {
    setObjectName(QStringLiteral("frmList"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setCaption(QStringLiteral("List Wizard"));

    picImage = new QWidget(this);
    auto* pictures = new QVBoxLayout(picImage);
    pictures->setContentsMargins(0, 0, 0, 0);
    Image1 = new QLabel(picImage);
    Image1->setPixmap(wizardPicture());
    imgMain = new QLabel(picImage);
    imgMain->setFixedSize(twipsToPixels(1200), twipsToPixels(900));
    pictures->addWidget(Image1, 0, Qt::AlignHCenter);
    pictures->addSpacing(twipsToPixels(120));
    pictures->addWidget(imgMain, 0, Qt::AlignHCenter);
    pictures->addStretch(1);

    // Page 1: the items.
    picMain[0] = new QWidget(this);
    auto* items = new QVBoxLayout(picMain[0]);
    items->setContentsMargins(0, 0, 0, 0);
    auto* itemsCaption = new QLabel(QStringLiteral("List items:"), picMain[0]);
    txtItem = new QLineEdit(picMain[0]);
    itemsCaption->setBuddy(txtItem);
    lstItems = new QListWidget(picMain[0]);
    cmdAdd = new QPushButton(QStringLiteral("&Add"), picMain[0]);
    cmdRemove = new QPushButton(QStringLiteral("&Remove"), picMain[0]);
    cmdAdd->setEnabled(false);
    cmdRemove->setEnabled(false);
    auto* itemButtons = new QHBoxLayout();
    itemButtons->addWidget(cmdAdd);
    itemButtons->addWidget(cmdRemove);
    itemButtons->addStretch(1);
    items->addWidget(itemsCaption);
    items->addWidget(txtItem);
    items->addWidget(lstItems, 1);
    items->addLayout(itemButtons);

    // Page 2: the style.
    picMain[1] = new QWidget(this);
    auto* style = new QVBoxLayout(picMain[1]);
    style->setContentsMargins(0, 0, 0, 0);
    fraStyle = new QGroupBox(QStringLiteral("List Style"), picMain[1]);
    auto* styles = new QVBoxLayout(fraStyle);
    optOrdered = new QRadioButton(QStringLiteral("Ordered"), fraStyle);
    optUnordered = new QRadioButton(QStringLiteral("Unordered"), fraStyle);
    optDefinition = new QRadioButton(QStringLiteral("Definition"), fraStyle);
    optOrdered->setChecked(true);
    for (QRadioButton* option : {optOrdered, optUnordered, optDefinition}) styles->addWidget(option);
    fraBullet = new QGroupBox(QStringLiteral("Bullet Type"), picMain[1]);
    auto* bullet = new QVBoxLayout(fraBullet);
    cboBullet = new QComboBox(fraBullet);
    cboBullet->addItems(QStringList{QString()} + kOrderedTypes);
    cboBullet->setCurrentIndex(-1);
    bullet->addWidget(cboBullet);
    style->addWidget(fraStyle);
    style->addWidget(fraBullet);
    style->addStretch(1);
    picMain[1]->hide();

    cmdBack = new QPushButton(QStringLiteral("< &Back"), this);
    cmdBack->setEnabled(false);
    cmdNext = new QPushButton(QStringLiteral("Next >"), this);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    for (QPushButton* button : {cmdBack, cmdNext, cmdCancel}) {
        button->setMinimumWidth(twipsToPixels(1095));
        // Enter is the window's; a button pressed by the keyboard answers the space bar.
        button->setAutoDefault(false);
    }

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(twipsToPixels(120), twipsToPixels(120), twipsToPixels(120), twipsToPixels(120));
    auto* body = new QHBoxLayout();
    body->setSpacing(twipsToPixels(180));
    body->addWidget(picImage);
    auto* pages = new QGridLayout();
    pages->addWidget(picMain[0], 0, 0);
    pages->addWidget(picMain[1], 0, 0);
    body->addLayout(pages, 1);
    outer->addLayout(body, 1);
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    outer->addWidget(line);
    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    buttons->addWidget(cmdBack);
    buttons->addWidget(cmdNext);
    buttons->addSpacing(twipsToPixels(150));
    buttons->addWidget(cmdCancel);
    outer->addLayout(buttons);

    connect(txtItem, &QLineEdit::textChanged, this, [this](const QString& text) { cmdAdd->setEnabled(!text.isEmpty()); });
    connect(cmdAdd, &QPushButton::clicked, this, [this] { cmdAdd_Click(); });
    connect(cmdRemove, &QPushButton::clicked, this, [this] { cmdRemove_Click(); });
    connect(cmdNext, &QPushButton::clicked, this, [this] { cmdNext_Click(); });
    connect(cmdBack, &QPushButton::clicked, this, [this] { cmdBack_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    const std::pair<QRadioButton*, ListStyle> options[] = {
        {optOrdered, ListStyle::Ordered}, {optUnordered, ListStyle::Unordered}, {optDefinition, ListStyle::Definition}};
    for (const auto& [option, kind] : options)
        connect(option, &QRadioButton::toggled, this, [this, kind](bool on) {
            if (on) styleChosen(kind);
        });
    connect(cboBullet, &QComboBox::activated, this, [this] { showBulletPicture(); });

    // The window sees every key before its controls do.
    for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

void frmList::Form_Load() {
    setFixedSize(twipsToPixels(6615), twipsToPixels(4845));
    wizardStep = 0;
    showBulletPicture();
    DocumentWindow* doc = activeDocument();
    if (doc && doc->mode != 2 && doc->txtMain->selLength() > 0)
        lstItems->addItems(listItemsFromSelection(doc->txtMain->selText()));
    if (lstItems->count() > 0) {
        lstItems->setCurrentRow(0);
        cmdRemove->setEnabled(true);
    }
    txtItem->setFocus();
}

ListStyle frmList::listStyle() const {
    if (optOrdered->isChecked()) return ListStyle::Ordered;
    if (optUnordered->isChecked()) return ListStyle::Unordered;
    return ListStyle::Definition;
}

QString frmList::bulletKey() const { return bulletPictureKey(listStyle(), cboBullet->currentText()); }

void frmList::showBulletPicture() {
    const QString key = bulletKey();
    imgMain->setPixmap(bulletPicture(key));
    imgMain->setProperty("pictureKey", key);
}

void frmList::styleChosen(ListStyle style) {
    // A new style starts without a type; the old one may mean nothing to it.
    cboBullet->clear();
    if (style == ListStyle::Definition) {
        fraBullet->setEnabled(false);
    } else {
        fraBullet->setEnabled(true);
        cboBullet->addItems(style == ListStyle::Ordered ? kOrderedTypes : kUnorderedTypes);
        cboBullet->setCurrentIndex(-1);
    }
    showBulletPicture();
}

void frmList::cmdAdd_Click() {
    lstItems->addItem(txtItem->text());
    lstItems->setCurrentRow(0);
    cmdRemove->setEnabled(true);
    txtItem->selectAll();
    txtItem->setFocus();
}

void frmList::cmdRemove_Click() {
    const int row = lstItems->currentRow();
    if (row < 0 || !lstItems->item(row)->isSelected()) return;
    delete lstItems->takeItem(row);
    if (lstItems->count() == 0) {
        cmdRemove->setEnabled(false);
    } else {
        lstItems->setCurrentRow(0);
    }
}

void frmList::cmdNext_Click() {
    ++wizardStep;
    if (wizardStep == 1) {
        cmdNext->setText(QStringLiteral("Finish"));
        cmdBack->setEnabled(true);
        picMain[1]->show();
        picMain[0]->hide();
        optOrdered->isChecked() ? optOrdered->setFocus() : optUnordered->isChecked() ? optUnordered->setFocus()
                                                                                      : optDefinition->setFocus();
        return;
    }
    QStringList entries;
    for (int i = 0; i < lstItems->count(); ++i) entries << lstItems->item(i)->text();
    const ListMarkup list = buildListMarkup(listStyle(), cboBullet->currentText(), entries);
    insertHtml(list.start, list.end, QString(), 4);
    unload();
}

void frmList::cmdBack_Click() {
    --wizardStep;
    cmdBack->setEnabled(false);
    cmdNext->setText(QStringLiteral("Next >"));
    picMain[0]->show();
    picMain[1]->hide();
    txtItem->setFocus();
}

void frmList::cmdCancel_Click() { unload(); }

void frmList::enterPressed() {
    if (itemHasFocus) {
        if (cmdAdd->isEnabled()) cmdAdd_Click();
        return;
    }
    // A button the user has moved to is the one Enter presses.
    if (pressFocusedButton()) return;
    cmdNext_Click();
}

void frmList::keyPressEvent(QKeyEvent* event) {
    answerDialogKeys(event, [this] { enterPressed(); }, [this] { cmdCancel_Click(); });
}

bool frmList::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Escape) {
            // An open list of the bullet box is a window of its own and takes its own keys.
            if (auto* w = qobject_cast<QWidget*>(watched); w && w->window() != this) break;
            keyPressEvent(key);
            return true;
        }
        break;
    }
    case QEvent::FocusIn:
        if (watched == txtItem) {
            txtItem->selectAll();
            itemHasFocus = true;
        }
        break;
    case QEvent::FocusOut:
        if (watched == txtItem) itemHasFocus = false;
        break;
    default:
        break;
    }
    return Form::eventFilter(watched, event);
}

void showListWizard() { runModal(new frmList(dialogOwner())); }

}  // namespace kavrin
