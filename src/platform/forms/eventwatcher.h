#pragma once
// Runs a function for the events of the objects it watches, without a class of its own per use.
#include <QApplication>
#include <QObject>
#include <QWidget>
#include <QWindow>
#include <functional>

namespace kavrin {

class EventWatcher : public QObject {
public:
    explicit EventWatcher(QObject* parent) : QObject(parent) {}
    // Returns true to stop the event there.
    std::function<bool(QObject* watched, QEvent* event)> filter;
    std::function<void(QObject*, QEvent*)> watch;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (filter && filter(watched, event)) return true;
        if (watch) watch(watched, event);
        return false;
    }
};

// The widget an event is delivered to, or nullptr for any other object; likewise a window.
// Found by address alone: the web engine's page items are made without type information, and
// asking one what it is (qobject_cast, isWidgetType) reads as a broken object to the checks for
// undefined behaviour. Meant for the few kinds of event a filter acts on, not for every event.
inline QWidget* watchedWidget(const QObject* watched) {
    for (QWidget* widget : QApplication::allWidgets())
        if (static_cast<const QObject*>(widget) == watched) return widget;
    return nullptr;
}

inline QWindow* watchedWindow(const QObject* watched) {
    for (QWindow* window : QGuiApplication::allWindows())
        if (static_cast<const QObject*>(window) == watched) return window;
    return nullptr;
}

}  // namespace kavrin
