#pragma once
// Base of every window: the load / show / unload lifecycle with its events, and the registry of
// loaded windows in load order.
#include <QWidget>
#include <functional>
#include <vector>

class QMdiArea;
class QEventLoop;
class QKeyEvent;
class QMdiSubWindow;

namespace kavrin {

enum class FormShow { Modeless, Modal };

// Why a window is being unloaded, handed to Form_QueryUnload.
enum UnloadMode : int { vbFormControlMenu = 0, vbFormCode = 1, vbAppWindows = 2, vbFormMDIForm = 4 };

enum WindowState : int { vbNormal = 0, vbMinimized = 1, vbMaximized = 2 };

class Form : public QWidget {
    Q_OBJECT
public:
    explicit Form(QWidget* parent = nullptr);
    ~Form() override;

    // Loaded windows in load order (the first is the main window once it exists).
    static const std::vector<Form*>& forms();
    // How many loaded windows are document windows.
    static int documentCount();
    // The MDI area that document windows are shown in.
    static void setMdiArea(QMdiArea* area);
    static QMdiArea* mdiArea();
    // The active MDI child window, or nullptr.
    static Form* activeMdiChild();

    // Runs Form_Initialize and Form_Load once and enters the registry. Showing loads first.
    void load();
    bool isLoaded() const { return loaded_; }
    // Modeless: shows and returns. Modal: shows and returns once the window is hidden or unloaded.
    void show(FormShow how = FormShow::Modeless);
    void showModal() { show(FormShow::Modal); }
    void hide();
    // Asks Form_QueryUnload and Form_Unload; returns false when one of them cancels. On success
    // the window leaves the registry, closes and is deleted later.
    bool unload(int mode = vbFormCode);
    bool isUnloading() const { return unloading_; }

    // Document windows are MDI children and count for the document decisions.
    virtual bool isDocumentWindow() const { return false; }
    bool isMdiChild() const { return mdiChild_; }
    QMdiSubWindow* subWindow() const { return subWindow_; }

    // Caption (window title) and state, for MDI children on their sub-window.
    void setCaption(const QString& caption);
    QString caption() const;
    int windowState() const;
    void setWindowState(int state);
    // Client area size in pixels.
    int scaleWidth() const { return width(); }
    int scaleHeight() const { return height(); }

    // Called by the main window when MDI activation changes, and by the window system otherwise.
    void fireActivate();
    void fireDeactivate();
    bool isActiveForm() const { return active_; }

protected:
    // Document windows call this in their constructor.
    void setMdiChild(bool on) { mdiChild_ = on; }

    virtual void Form_Initialize() {}
    virtual void Form_Load() {}
    virtual void Form_Activate() {}
    virtual void Form_Deactivate() {}
    virtual void Form_Resize() {}
    virtual void Form_QueryUnload(int& cancel, int unloadMode) { (void)cancel; (void)unloadMode; }
    virtual void Form_Unload(int& cancel) { (void)cancel; }

    // The keys of a window's default and cancel buttons: Enter and Return run `enter`, Escape
    // runs `escape`, each taking the key; any other key goes on as usual.
    void answerDialogKeys(QKeyEvent* event, const std::function<void()>& enter, const std::function<void()>& escape);
    // Enter on a push button presses that button, when it can be pressed; true when it was.
    bool pressFocusedButton();

    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    bool loaded_ = false;
    bool initialized_ = false;
    bool unloading_ = false;
    bool unloaded_ = false;
    bool mdiChild_ = false;
    bool active_ = false;
    int pendingState_ = vbNormal;
    QEventLoop* modalLoop_ = nullptr;
    QMdiSubWindow* subWindow_ = nullptr;

    bool runUnloadEvents(int mode);
    void finishUnload(bool fromCloseEvent);
};

}  // namespace kavrin
