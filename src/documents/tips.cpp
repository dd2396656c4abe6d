// Attribute and value tips: the tag data file, the tip list and its two timers.
#include "documents/tips.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QTimer>

#include "documents/colouring/colorrange.h"
#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "documents/tiphooks.h"
#include "platform/richtext/richtextbox.h"

namespace kavrin {

namespace {

// A tag data file larger than this is not a tag data file; reading it would only stall typing.
constexpr qint64 kMaxTagDataBytes = 8 * 1024 * 1024;

struct TagDataCache {
    QString path;
    QDateTime modified;
    qint64 size = -1;
    bool exists = false;
    QStringList lines;
};

TagDataCache& tagDataCache() {
    static TagDataCache cache;
    return cache;
}

QStringList readTagData(const QString& path) {
    QFile file(path);
    if (file.size() > kMaxTagDataBytes || !file.open(QIODevice::ReadOnly)) return {};
    // ANSI text: every byte is a character, so no line can be malformed.
    const QString all = QString::fromLatin1(file.readAll());
    QStringList lines = all.split(u'\n');
    for (QString& line : lines)
        if (line.endsWith(u'\r')) line.chop(1);
    return lines;
}

// The small pictures in front of the entries, one per kind.
QIcon tipIcon(const QString& kind) {
    static QHash<QString, QIcon> icons;
    auto it = icons.constFind(kind);
    if (it != icons.constEnd()) return *it;
    QColor color(0x30, 0x60, 0xc0);
    if (kind == u"event") color = QColor(0xd0, 0x90, 0x10);
    else if (kind == u"flag") color = QColor(0x40, 0x90, 0x40);
    else if (kind == u"value") color = QColor(0x90, 0x40, 0x90);
    QPixmap pixmap(12, 12);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(color);
        painter.setPen(color.darker());
        if (kind == u"attribute" || kind == u"value")
            painter.drawRect(1, 1, 10, 10);
        else
            painter.drawEllipse(1, 1, 10, 10);
    }
    return *icons.insert(kind, QIcon(pixmap));
}

void fillTipList(DocumentWindow* doc, const QVector<TipEntry>& entries) {
    for (const TipEntry& e : entries) {
        auto* item = new QListWidgetItem(tipIcon(e.kind), e.text, doc->lstTip);
        item->setData(Qt::UserRole, e.kind);
        // The list's height is worked out for rows of this height.
        item->setSizeHint(QSize(0, 17));
    }
}

// Shows the prepared list now, or after the pause the user asked for.
void armTipList(DocumentWindow* doc, bool values) {
    doc->lstTipStr.clear();
    doc->attValueHelp = values;
    if (tagTipDelay != 0)
        doc->tmrTipPause->start(qMax(0, tagTipDelay));
    else
        showTipList(doc);
}

// The tip list's keys and focus. Keys the list has no use for go to the editor, so that nothing
// typed while the list holds the focus is lost.
class TipListWatcher : public QObject {
public:
    explicit TipListWatcher(DocumentWindow* doc) : QObject(doc), doc_(doc) { setObjectName(kWatcherName); }
    static constexpr const char* kWatcherName = "tipListWatcher";

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != doc_->lstTip) return false;
        switch (event->type()) {
        case QEvent::FocusIn:
            doc_->tipListHasFocus = true;
            break;
        case QEvent::FocusOut:
            doc_->tipListHasFocus = false;
            doc_->tmrCheck4Focus->start(100);
            break;
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            switch (key->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                lstTip_DblClick(doc_);
                return true;
            case Qt::Key_Up: case Qt::Key_Down: case Qt::Key_PageUp: case Qt::Key_PageDown:
            case Qt::Key_Home: case Qt::Key_End:
                return false;
            default: {
                doc_->txtMain->setFocus();
                QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text(),
                               key->isAutoRepeat(), ushort(key->count()));
                QCoreApplication::sendEvent(doc_->txtMain, &copy);
                return true;
            }
            }
        }
        default: break;
        }
        return false;
    }

private:
    DocumentWindow* doc_;
};

}  // namespace

// ---- The tag data file --------------------------------------------------------------------------

const QStringList& tagDataLines() {
    TagDataCache& cache = tagDataCache();
    const QString path = installPath + QStringLiteral("html.dat");
    const QFileInfo info(path);
    const bool exists = info.isFile();
    const QDateTime modified = exists ? info.lastModified() : QDateTime();
    const qint64 size = exists ? info.size() : -1;
    if (cache.path != path || cache.exists != exists || cache.modified != modified || cache.size != size) {
        cache.path = path;
        cache.exists = exists;
        cache.modified = modified;
        cache.size = size;
        cache.lines = exists ? readTagData(path) : QStringList();
    }
    return cache.lines;
}

QString findTagLine(const QStringList& lines, const QString& prefix) {
    if (prefix.isEmpty()) return {};
    for (const QString& line : lines)
        if (line.startsWith(prefix, Qt::CaseSensitive)) return line;
    return {};
}

namespace {

// The items of a tag line: every token between the first and the last. A line without a blank
// has none.
QStringList tagItems(const QString& tagLine) {
    QStringList tokens = tagLine.split(u' ');
    if (tokens.size() < 3) return {};
    tokens.removeFirst();
    tokens.removeLast();
    // A doubled blank would make an entry of nothing.
    tokens.removeAll(QString());
    return tokens;
}

}  // namespace

QVector<TipEntry> attributeEntries(const QString& tagLine) {
    QVector<TipEntry> out;
    for (const QString& token : tagItems(tagLine)) {
        const qsizetype eq = token.indexOf(u'=');
        if (eq == token.size() - 1)
            out.push_back({token, QStringLiteral("event")});
        else if (eq >= 0)
            out.push_back({token.left(eq + 1).toLower(), QStringLiteral("attribute")});
        else
            out.push_back({token.toLower(), QStringLiteral("flag")});
    }
    return out;
}

QVector<TipEntry> valueEntries(const QString& tagLine, const QString& key) {
    QVector<TipEntry> out;
    if (key.isEmpty()) return out;
    for (const QString& token : tagItems(tagLine)) {
        if (!token.startsWith(key)) continue;
        if (token.contains(u',')) {
            for (const QString& v : token.mid(key.size()).split(u','))
                out.push_back({v, QStringLiteral("value")});
        } else if (token.endsWith(u"=n") || token.endsWith(u"=n%")) {
            for (int i = 0; i <= 10; ++i) out.push_back({QString::number(i), QStringLiteral("value")});
        }
    }
    return out;
}

bool insideClosedComment(QStringView text, qsizetype p) {
    p = qBound<qsizetype>(0, p, text.size());
    if (openCommentBefore(text, p) < 0) return false;
    return text.indexOf(u"-->", p) >= 0;
}

// ---- The two list builders ----------------------------------------------------------------------

void showAttributeTips(DocumentWindow* doc, const QString& tagText, int caret) {
    if (!doc || insideClosedComment(doc->txtMain->text(), caret)) return;
    doc->changeLevel = 0;
    doc->lstTip->clear();
    const QString tagLine = findTagLine(tagDataLines(), tagText.trimmed().toUpper());
    fillTipList(doc, attributeEntries(tagLine));
    if (doc->lstTip->count() == 0) return;
    armTipList(doc, false);
}

void showValueTips(DocumentWindow* doc, const QString& tagName, const QString& attribute, bool) {
    if (!doc || insideClosedComment(doc->txtMain->text(), doc->txtMain->selStart())) return;
    doc->changeLevel = 0;
    doc->lstTip->clear();
    const QString key = attribute.toUpper() + u'=';
    if (key == u"FACE=" && fontCount >= 1) {
        QVector<TipEntry> fonts;
        for (int i = 0; i < fontCount && i < fontNames.size(); ++i)
            fonts.push_back({fontNames[i], QStringLiteral("value")});
        fillTipList(doc, fonts);
    } else {
        const QString tagLine = findTagLine(tagDataLines(), u'<' + tagName.toUpper());
        fillTipList(doc, valueEntries(tagLine, key));
    }
    if (doc->lstTip->count() == 0) return;
    armTipList(doc, true);
}

// ---- Showing the list ---------------------------------------------------------------------------

// Worked in pixels and 32-bit integers: a caret far right on a wide screen must still place it.
QRect tipListGeometry(const TipPlacementInput& in) {
    int extra = 0;
    if (in.fontSize >= 17) extra = in.fontSize - 2;
    else if (in.fontSize >= 15) extra = in.fontSize - 5;
    else if (in.fontSize >= 13) extra = in.fontSize - 10;
    int height = in.entries < 7 ? in.entries * 17 + 6 : 123;
    int width = 150;
    int left = in.caret.x() - 13;
    const int caretLine = in.caret.y() + 6;
    int top = caretLine + 15 + extra;
    if (top + height > in.innerHeight) {
        if (caretLine - height - extra - 4 >= 0) {
            top = caretLine - height - extra - 4;
        } else if (in.innerHeight - caretLine - 10 < caretLine) {
            top = 0;
            height = caretLine - extra - 5;
        } else {
            height = in.innerHeight - top;
        }
    }
    if (in.outerWidth - width - 10 < left) {
        left = in.outerWidth - width - 10;
        if (left < 2) {
            left = 2;
            width = in.innerWidth - 4;
        }
    }
    return QRect(left, top, qMax(1, width), qMax(1, height));
}

void showTipList(DocumentWindow* doc) {
    if (!doc || doc->lstTip->count() == 0) return;
    TipPlacementInput in;
    in.entries = doc->lstTip->count();
    in.fontSize = fontSize;
    in.caret = doc->txtMain->mapTo(doc, doc->txtMain->caretRect().topLeft());
    in.innerHeight = doc->height();
    in.outerWidth = doc->width();
    in.innerWidth = doc->width();
    doc->lstTip->setGeometry(tipListGeometry(in));
    doc->lstTip->raise();
    doc->lstTip->show();
    doc->lstTip->setCurrentRow(0);
    doc->lstTip->scrollToItem(doc->lstTip->item(0));
}

// ---- Accepting an entry -------------------------------------------------------------------------

void acceptTip(DocumentWindow* doc) {
    if (!doc) return;
    QListWidgetItem* chosen = doc->lstTip->currentItem();
    QString x = chosen ? chosen->text() : QString();
    if (x.isEmpty()) return;
    if (doc->lstTip->count() > 0 && doc->lstTip->item(0)->text().startsWith(u'[')) {
        doc->lstTip->hide();
        return;
    }
    RichTextBox* editor = doc->txtMain;
    const int p = editor->selStart();
    // Only letters typed since the list opened are replaced, never text before it.
    const int typed = qMin(int(doc->lstTipStr.size()), p);
    const int from = p - typed;

    ignoreChange = true;
    editor->setSelStart(from);
    editor->setSelLength(typed);
    const QString& text = editor->text();
    bool chainValues = false;
    if (doc->attValueHelp) {
        if (from > 0 && text[from - 1] == u'=') x.prepend(u'"');
        const int after = from + typed;
        if (after >= text.size() || text[after] != u'"') x.append(u'"');
    } else if (x.endsWith(u'=')) {
        x += QStringLiteral("\"\"");
        chainValues = true;
    }
    ignoreChange = false;
    selStartBeforeChange = editor->selStart();
    selLengthBeforeChange = editor->selLength();
    editor->setSelText(x);
    doc->lstTip->hide();

    if (chainValues) {
        editor->setSelStart(from + int(x.size()) - 1);
        const QString& now = editor->text();
        const qsizetype lt = lastIndexBefore(now, u'<', p);
        if (lt >= 0) {
            qsizetype blank = now.indexOf(u' ', lt);
            if (blank < 0) blank = now.size();
            showValueTips(doc, now.mid(lt + 1, blank - lt - 1), x.left(x.size() - 3), false);
        }
    }
    editor->setFocus();
}

// ---- The list's and the timers' events ----------------------------------------------------------

void lstTip_DblClick(DocumentWindow* doc) { acceptTip(doc); }

void tmrCheck4Focus_Timer(DocumentWindow* doc) {
    doc->tmrCheck4Focus->stop();
    if (!doc->tipListHasFocus && !doc->editorHasFocus()) doc->lstTip->hide();
}

void tmrTipPause_Timer(DocumentWindow* doc) {
    doc->tmrTipPause->stop();
    if (doc->mode == 0 && doc->changeLevel < 2) showTipList(doc);
}

void disconnectTipList(DocumentWindow* doc) {
    QObject* watcher = doc->findChild<QObject*>(TipListWatcher::kWatcherName, Qt::FindDirectChildrenOnly);
    if (!watcher) return;
    doc->lstTip->removeEventFilter(watcher);
    delete watcher;
}

void connectTipList(DocumentWindow* doc) {
    QListWidget* list = doc->lstTip;
    list->setIconSize(QSize(12, 12));
    list->setUniformItemSizes(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->installEventFilter(new TipListWatcher(doc));
    QObject::connect(list, &QListWidget::itemDoubleClicked, doc, [doc] { lstTip_DblClick(doc); });
    QObject::connect(doc->tmrCheck4Focus, &QTimer::timeout, doc, [doc] { tmrCheck4Focus_Timer(doc); });
    QObject::connect(doc->tmrTipPause, &QTimer::timeout, doc, [doc] { tmrTipPause_Timer(doc); });
}

}  // namespace kavrin
