#pragma once
// A document opened in the design view, driven as a person does: clicks and keys into the real
// web engine, then the file as saved.
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

    static void view(DocumentWindow* doc, int tab) {
        doc->tbsMain->setCurrentIndex(tab);
        EXPECT_TRUE(QTest::qWaitFor([&] { return doc->mode == tab; }, kWait)) << "the view did not change";
    }

    static QVariant js(DocumentWindow* doc, const QString& script) {
        QVariant result;
        bool done = false;
        doc->dhtm->view()->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld, [&](const QVariant& v) {
            result = v;
            done = true;
        });
        EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, kWait));
        return result;
    }

    static QWidget* input(DocumentWindow* doc) { return doc->dhtm->view()->focusProxy(); }

    // Where the first occurrence of `text` in the page's text shows: the middle of its first
    // character (`first`) or of the whole of it.
    static QPoint placeOf(DocumentWindow* doc, const QString& text, bool first) {
        const QVariantList box =
            js(doc, QString("(() => { const w = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);"
                            "for (let t = w.nextNode(); t; t = w.nextNode()) { const i = t.data.indexOf(%1); if (i < 0) continue;"
                            "t.parentElement.scrollIntoView({block: 'center', behavior: 'instant'});"
                            "const r = document.createRange(); r.setStart(t, i); r.setEnd(t, i + (%2 ? 1 : %1.length));"
                            "const b = r.getBoundingClientRect(); return [b.left, b.top, b.width, b.height]; } return []; })()")
                        .arg("'" + text + "'", first ? "true" : "false"))
                .toList();
        EXPECT_EQ(box.size(), 4) << text.toStdString();
        if (box.size() != 4) return {};
        const double x = first ? box[0].toDouble() + 1 : box[0].toDouble() + box[2].toDouble() / 2;
        return QPoint(int(x), int(box[1].toDouble() + box[3].toDouble() / 2));
    }

    // Selects a word as a person does from the keyboard: a click before it, then Shift+Ctrl+Right.
    static void selectWord(DocumentWindow* doc, const QString& word) {
        clickBefore(doc, word);
        QTest::keyClick(input(doc), Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_TRUE(QTest::qWaitFor([&] { return js(doc, "getSelection().toString()").toString() == word; }, kWait))
            << js(doc, "getSelection().toString()").toString().toStdString();
    }

    // A click just inside the first character of `text`: the caret goes before it.
    static void clickBefore(DocumentWindow* doc, const QString& text) {
        QTest::mouseClick(input(doc), Qt::LeftButton, {}, placeOf(doc, text, true));
        const QString there = QString("(() => { const s = getSelection(); if (!s.isCollapsed) return false;"
                                      "const r = document.createRange(); r.setStart(s.anchorNode, s.anchorOffset);"
                                      "r.setEnd(document.body, document.body.childNodes.length); return r.toString().startsWith(%1); })()")
                                  .arg("'" + text + "'");
        EXPECT_TRUE(QTest::qWaitFor([&] { return js(doc, there).toBool(); }, kWait)) << text.toStdString();
    }

    // Types with real keys and waits until the page holds what was typed.
    static void typeKeys(DocumentWindow* doc, const QString& text) {
        QTest::keyClicks(input(doc), text);
        EXPECT_TRUE(QTest::qWaitFor([&] { return currentHtml(*doc->dhtm).contains(text.trimmed()); }, kWait));
    }

    QByteArray savedAfterEdit(DocumentWindow* doc) {
        view(doc, 0);
        mainWindow->mnuFileSave_Click();
        EXPECT_TRUE(doc->fileSaved);
        return readFile(path);
    }

    QString path;
};

}  // namespace kavrin::test
