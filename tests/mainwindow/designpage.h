#pragma once
// A main window with the design view on, and what a person does in a page there: clicks before
// a word, selects it, types, with real events into the web engine's input widget.
#include <memory>
#include <optional>
#include <ostream>

#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include "designwait.h"
#include "mainwindow_fixture.h"

// Carriage returns shown, so that line ends that differ show.
inline void PrintTo(const QByteArray& bytes, std::ostream* os) {
    *os << '"' << QByteArray(bytes).replace("\r", "\\r").toStdString() << '"';
}

namespace kavrin::test {

inline constexpr int kWait = 20000;

class DesignPageTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        enableBrowserAndDesigner = true;
        start();
        enableBrowserAndDesigner = true;
    }

    DocumentWindow* openPage(const QByteArray& bytes) {
        path = writeFile("site/page.htm", bytes);
        mainWindow->openFile(path);
        DocumentWindow* doc = activeDocument();
        EXPECT_TRUE(doc && doc->hasViews());
        return doc;
    }

    // The page opened and shown in Design, ready for keys; null when Design did not get ready.
    DocumentWindow* openInDesign(const QByteArray& bytes) {
        DocumentWindow* doc = openPage(bytes);
        if (!doc) return nullptr;
        view(doc, 2);
        return waitDesignReady(*doc->dhtm, kWait) ? doc : nullptr;
    }

    static void view(DocumentWindow* doc, int tab) {
        doc->tbsMain->setCurrentIndex(tab);
        EXPECT_TRUE(QTest::qWaitFor([&] { return doc->mode == tab; }, kWait)) << "the view did not change";
    }

    // The answer may come after the wait has given up: it then goes to storage of its own.
    static QVariant js(DocumentWindow* doc, const QString& script) {
        auto answer = std::make_shared<std::optional<QVariant>>();
        doc->dhtm->view()->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                                                 [answer](const QVariant& v) { *answer = v; });
        EXPECT_TRUE(QTest::qWaitFor([&] { return answer->has_value(); }, kWait));
        return answer->value_or(QVariant());
    }

    static QWidget* input(DocumentWindow* doc) { return doc->dhtm->view()->focusProxy(); }

    // A JavaScript string literal holding `text`.
    static QString jsString(const QString& text) {
        QString quoted = text;
        quoted.replace('\\', "\\\\").replace('\'', "\\'").replace('\n', "\\n").replace('\r', "\\r");
        return "'" + quoted + "'";
    }

    // Where the first occurrence of `text` in the page's text shows: the middle of its first
    // character (`first`) or of the whole of it. A null point when the page does not show it.
    static QPoint placeOf(DocumentWindow* doc, const QString& text, bool first) {
        const QVariantList box =
            js(doc, QString("(() => { const w = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);"
                            "for (let t = w.nextNode(); t; t = w.nextNode()) { const i = t.data.indexOf(%1); if (i < 0) continue;"
                            "t.parentElement.scrollIntoView({block: 'center', behavior: 'instant'});"
                            "const r = document.createRange(); r.setStart(t, i); r.setEnd(t, i + (%2 ? 1 : %1.length));"
                            "const b = r.getBoundingClientRect(); return [b.left, b.top, b.width, b.height]; } return []; })()")
                        .arg(jsString(text), first ? "true" : "false"))
                .toList();
        if (box.size() != 4) return {};
        const double x = first ? box[0].toDouble() + 1 : box[0].toDouble() + box[2].toDouble() / 2;
        return QPoint(int(x), int(box[1].toDouble() + box[3].toDouble() / 2));
    }

    // True once the caret (collapsed) stands before `text`. Blanks that the page shows as one
    // may lie between: a click before a word that follows two or more blanks puts the caret
    // among them, which is before the word all the same.
    static bool caretBefore(DocumentWindow* doc, const QString& text, int timeoutMs) {
        const QString there = QString("(() => { const s = getSelection(); if (!s.rangeCount || !s.isCollapsed) return false;"
                                      "const r = document.createRange(); r.setStart(s.anchorNode, s.anchorOffset);"
                                      "r.setEnd(document.body, document.body.childNodes.length);"
                                      "return r.toString().replace(/^\\s+/, '').startsWith(%1); })()")
                                  .arg(jsString(text));
        return QTest::qWaitFor([&] { return js(doc, there).toBool(); }, timeoutMs);
    }

    // A click just inside the first character of `text`; true when the caret went before it.
    static bool clickBefore(DocumentWindow* doc, const QString& text, int timeoutMs) {
        const QPoint at = placeOf(doc, text, true);
        if (at.isNull()) return false;
        QTest::mouseClick(input(doc), Qt::LeftButton, {}, at);
        return caretBefore(doc, text, timeoutMs);
    }
    static void clickBefore(DocumentWindow* doc, const QString& text) {
        EXPECT_TRUE(clickBefore(doc, text, kWait)) << text.toStdString();
    }

    // Selects a word as a person does from the keyboard: a click before it, then Shift+Ctrl+Right.
    static bool selectWord(DocumentWindow* doc, const QString& word, int timeoutMs) {
        if (!clickBefore(doc, word, timeoutMs)) return false;
        QTest::keyClick(input(doc), Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier);
        return QTest::qWaitFor([&] { return js(doc, "getSelection().toString()").toString() == word; }, timeoutMs);
    }
    static void selectWord(DocumentWindow* doc, const QString& word) {
        EXPECT_TRUE(selectWord(doc, word, kWait)) << js(doc, "getSelection().toString()").toString().toStdString();
    }

    // Types with real keys; true once the page holds what was typed.
    static bool typeKeys(DocumentWindow* doc, const QString& text, int timeoutMs) {
        QTest::keyClicks(input(doc), text);
        return QTest::qWaitFor([&] { return currentHtml(*doc->dhtm).contains(text.trimmed()); }, timeoutMs);
    }
    static void typeKeys(DocumentWindow* doc, const QString& text) { EXPECT_TRUE(typeKeys(doc, text, kWait)); }

    QByteArray savedAfterEdit(DocumentWindow* doc) {
        view(doc, 0);
        mainWindow->mnuFileSave_Click();
        EXPECT_TRUE(doc->fileSaved);
        return readFile(path);
    }

    QString path;
};

}  // namespace kavrin::test
