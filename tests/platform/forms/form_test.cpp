#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include "fixture.h"
#include "platform/forms/form.h"

namespace kavrin::test {
namespace {

class Probe : public Form {
public:
    QStringList* log;
    bool refuse = false;
    bool document = false;
    explicit Probe(QStringList* l, bool doc = false) : log(l), document(doc) { setMdiChild(doc); }
    bool isDocumentWindow() const override { return document; }

protected:
    void Form_Initialize() override { *log << "init"; }
    void Form_Load() override { *log << "load"; }
    void Form_Activate() override { *log << "activate"; }
    void Form_Deactivate() override { *log << "deactivate"; }
    void Form_QueryUnload(int& cancel, int) override { *log << "query"; cancel = refuse; }
    void Form_Unload(int&) override { *log << "unload"; }
};

using FormTest = KavrinTest;

TEST_F(FormTest, LifecycleEventsRunInOrderAndRegistryFollowsLoads) {
    QStringList log;
    auto* a = new Probe(&log);
    a->load();
    a->load();
    EXPECT_EQ(log, (QStringList{"init", "load"}));
    ASSERT_EQ(Form::forms().size(), 1u);

    a->refuse = true;
    EXPECT_FALSE(a->unload());
    EXPECT_TRUE(a->isLoaded());
    a->refuse = false;
    EXPECT_TRUE(a->unload());
    EXPECT_TRUE(Form::forms().empty());
    EXPECT_EQ(log.mid(2), (QStringList{"query", "query", "unload"}));
}

TEST_F(FormTest, MdiChildrenActivateInTurnAndCountAsDocuments) {
    QMdiArea area;
    Form::setMdiArea(&area);
    area.show();
    QStringList logA, logB;
    auto* tool = new Probe(&logA);
    tool->load();
    auto* a = new Probe(&logA, true);
    auto* b = new Probe(&logB, true);
    a->show();
    b->show();
    EXPECT_EQ(Form::documentCount(), 2);
    EXPECT_EQ(Form::activeMdiChild(), b);
    EXPECT_TRUE(logA.contains("deactivate"));
    EXPECT_EQ(logB.last(), "activate");
    EXPECT_TRUE(b->unload());
    EXPECT_EQ(Form::documentCount(), 1);
    EXPECT_EQ(Form::activeMdiChild(), a);
    tool->unload();
    a->unload();
    Form::setMdiArea(nullptr);
}

TEST_F(FormTest, ModalShowIsDrivenByTheScript) {
    QStringList log;
    auto* f = new Probe(&log);
    expectModal("Probe", [](Form& form) { form.unload(); });
    f->showModal();
    EXPECT_TRUE(Form::forms().empty());
}

// Alt with a letter presses the button underlined with it; one that no button has types nothing
// into the box with the focus, as a letter typed alone would.
TEST_F(FormTest, AltLettersPressButtonsAndTypeNothingIntoTextBoxes) {
    QStringList log;
    auto* f = new Probe(&log);
    f->setWindowFlags(Qt::Dialog);
    auto* layout = new QVBoxLayout(f);
    auto* line = new QLineEdit(f);
    auto* combo = new QComboBox(f);
    combo->setEditable(true);
    auto* go = new QPushButton(QStringLiteral("&Go"), f);
    for (QWidget* w : std::initializer_list<QWidget*>{line, combo, go}) layout->addWidget(w);
    int pressed = 0;
    QObject::connect(go, &QPushButton::clicked, [&pressed] { ++pressed; });
    f->show();
    f->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f));
    for (QWidget* box : std::initializer_list<QWidget*>{line, combo}) {
        box->setFocus();
        QTest::keyClicks(box, "ab");
        QTest::keyClick(box, Qt::Key_Q, Qt::AltModifier);
        QTest::keyClick(box, Qt::Key_Q, Qt::AltModifier | Qt::ShiftModifier);
        QTest::keyClick(box, Qt::Key_G, Qt::AltModifier);
        QTest::keyClick(box, Qt::Key_Q);
        // The button shows itself pressed for a moment before it acts.
        EXPECT_TRUE(QTest::qWaitFor([&] { return pressed == (box == line ? 1 : 2); }, 2000));
    }
    EXPECT_EQ(line->text(), "abq");
    EXPECT_EQ(combo->currentText(), "abq");
    f->unload();
}

}  // namespace
}  // namespace kavrin::test
