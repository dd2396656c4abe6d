#include "platform/forms/form.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <algorithm>

#include "platform/forms/altletters.h"
#include "platform/forms/dialoghooks.h"
#include "platform/forms/dialogsize.h"

namespace kavrin {

namespace {

std::vector<Form*>& registry() {
    static std::vector<Form*> forms;
    return forms;
}

QPointer<QMdiArea>& area() {
    static QPointer<QMdiArea> a;
    return a;
}

QPointer<Form>& activeChild() {
    static QPointer<Form> f;
    return f;
}

void removeFromRegistry(Form* form) {
    auto& r = registry();
    r.erase(std::remove(r.begin(), r.end(), form), r.end());
}

Form* formOf(QMdiSubWindow* window) {
    return window ? qobject_cast<Form*>(window->widget()) : nullptr;
}

}  // namespace

Form::Form(QWidget* parent) : QWidget(parent) {}

Form::~Form() {
    removeFromRegistry(this);
    if (modalLoop_) modalLoop_->quit();
}

const std::vector<Form*>& Form::forms() { return registry(); }

int Form::documentCount() {
    return int(std::count_if(registry().begin(), registry().end(),
                             [](Form* f) { return f->isDocumentWindow(); }));
}

void Form::setMdiArea(QMdiArea* mdi) {
    area() = mdi;
    activeChild() = nullptr;
    if (!mdi) return;
    // One place turns MDI activation into the Activate / Deactivate events of the children.
    QObject::connect(mdi, &QMdiArea::subWindowActivated, mdi, [](QMdiSubWindow* window) {
        Form* next = formOf(window);
        Form* previous = activeChild();
        if (previous == next) return;
        if (previous && !previous->isUnloading()) previous->fireDeactivate();
        activeChild() = next;
        if (next && !next->isUnloading()) next->fireActivate();
    });
}

QMdiArea* Form::mdiArea() { return area(); }

Form* Form::activeMdiChild() {
    Form* f = activeChild();
    return f && !f->isUnloading() ? f : nullptr;
}

void Form::load() {
    if (loaded_ || unloading_) return;
    keepAltLettersFromTyping();
    if (!initialized_) {
        initialized_ = true;
        Form_Initialize();
    }
    loaded_ = true;
    registry().push_back(this);
    Form_Load();
}

void Form::show(FormShow how) {
    load();
    if (!loaded_) return;  // Form_Load unloaded it
    if (mdiChild_ && area()) {
        if (!subWindow_) {
            subWindow_ = area()->addSubWindow(this);
            subWindow_->setAttribute(Qt::WA_DeleteOnClose);
            subWindow_->setWindowTitle(windowTitle());
            subWindow_->setWindowIcon(windowIcon());
        }
        if (pendingState_ == vbMaximized)
            subWindow_->showMaximized();
        else if (pendingState_ == vbMinimized)
            subWindow_->showMinimized();
        else
            subWindow_->show();
        QWidget::show();
        area()->setActiveSubWindow(subWindow_);
        return;
    }
    const Qt::WindowType type = windowType();
    if (!windowFlags().testFlag(Qt::FramelessWindowHint) && (type == Qt::Window || type == Qt::Dialog || type == Qt::Tool))
        fitTitle(this);
    if (how == FormShow::Modal) {
        setWindowModality(Qt::ApplicationModal);
        QWidget::show();
        if (!active_) fireActivate();
        if (dialogHooks().modalForm) {
            QPointer<Form> self(this);
            dialogHooks().modalForm(*this);
            // A modal window that the script left open is closed as by its frame.
            if (self && self->isVisible() && self->isLoaded()) self->hide();
            return;
        }
        QPointer<Form> self(this);
        QEventLoop loop;
        modalLoop_ = &loop;
        if (isVisible() && loaded_) loop.exec(QEventLoop::DialogExec);
        if (self) self->modalLoop_ = nullptr;
        return;
    }
    QWidget::show();
    if (!active_) fireActivate();
}

void Form::hide() {
    QWidget::hide();
    if (modalLoop_) modalLoop_->quit();
}

bool Form::runUnloadEvents(int mode) {
    int cancel = 0;
    Form_QueryUnload(cancel, mode);
    if (cancel) return false;
    Form_Unload(cancel);
    return cancel == 0;
}

void Form::finishUnload(bool fromCloseEvent) {
    unloading_ = true;
    loaded_ = false;
    unloaded_ = true;
    removeFromRegistry(this);
    if (activeChild() == this) activeChild() = nullptr;
    if (modalLoop_) modalLoop_->quit();
    if (subWindow_) {
        if (!fromCloseEvent) subWindow_->close();  // deletes the sub-window and this form with it
        return;
    }
    if (!fromCloseEvent) QWidget::close();
    deleteLater();
}

bool Form::unload(int mode) {
    if (unloading_) return true;
    if (!loaded_) {
        // Never loaded: nothing to ask, just go.
        unloading_ = true;
        if (subWindow_) subWindow_->close();
        else deleteLater();
        return true;
    }
    if (!runUnloadEvents(mode)) return false;
    finishUnload(false);
    return true;
}

void Form::closeEvent(QCloseEvent* event) {
    if (unloading_) {
        event->accept();
        return;
    }
    if (!loaded_) {
        event->accept();
        return;
    }
    if (!runUnloadEvents(vbFormControlMenu)) {
        event->ignore();
        return;
    }
    event->accept();
    finishUnload(true);
}

void Form::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (loaded_ && !unloading_) Form_Resize();
}

void Form::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !mdiChild_ && loaded_ && !unloading_) {
        if (isActiveWindow()) fireActivate();
        else fireDeactivate();
    }
}

bool Form::event(QEvent* event) {
    return QWidget::event(event);
}

void Form::setCaption(const QString& text) {
    setWindowTitle(text);
    if (subWindow_) subWindow_->setWindowTitle(text);
}

QString Form::caption() const { return windowTitle(); }

int Form::windowState() const {
    const QWidget* w = subWindow_ ? static_cast<const QWidget*>(subWindow_) : this;
    if (!w->isVisible() && !subWindow_) return pendingState_;
    if (w->isMinimized()) return vbMinimized;
    if (w->isMaximized()) return vbMaximized;
    return vbNormal;
}

void Form::setWindowState(int state) {
    pendingState_ = state;
    QWidget* w = subWindow_ ? static_cast<QWidget*>(subWindow_) : (isVisible() ? this : nullptr);
    if (!w) return;
    if (state == vbMaximized) w->showMaximized();
    else if (state == vbMinimized) w->showMinimized();
    else w->showNormal();
}

void Form::fireActivate() {
    if (active_ || !loaded_ || unloading_) return;
    active_ = true;
    Form_Activate();
}

void Form::fireDeactivate() {
    if (!active_) return;
    active_ = false;
    if (loaded_ && !unloading_) Form_Deactivate();
}

void Form::answerDialogKeys(QKeyEvent* event, const std::function<void()>& enter,
                            const std::function<void()>& escape) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        enter();
        return;
    case Qt::Key_Escape:
        event->accept();
        escape();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

bool Form::pressFocusedButton() {
    auto* focused = qobject_cast<QPushButton*>(focusWidget());
    if (!focused || !focused->isEnabled()) return false;
    focused->click();
    return true;
}

}  // namespace kavrin
