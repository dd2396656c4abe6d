#pragma once
// Runs a function for the events of the objects it watches, without a class of its own per use.
#include <QObject>
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

}  // namespace kavrin
