#pragma once

#include <QPointer>

#include <functional>
#include <utility>

// The one instance a window has for the whole program. Touching it creates it
// hidden and runs its load handler; unloading destroys it, and the next touch
// creates it afresh with its design captions.
//
// W needs a load() member: the window's load handler. It runs after the
// instance knows the window, so that a load handler which touches its own
// window again (the TOP5 load does) finds it instead of making a second one.
template <class W>
class WindowInstance {
public:
    explicit WindowInstance(std::function<W*()> make) : make_(std::move(make)) {}
    ~WindowInstance() { delete window_.data(); }
    WindowInstance(const WindowInstance&) = delete;
    WindowInstance& operator=(const WindowInstance&) = delete;

    W& get()
    {
        if (!window_) {
            window_ = make_();
            window_->load();
        }
        return *window_;
    }

    bool exists() const { return !window_.isNull(); }

    // Modeless and without an owner; a window already shown only comes to the front.
    void show()
    {
        W& w = get();
        w.show();
        w.raise();
        w.activateWindow();
    }

    void unload()
    {
        if (!window_)
            return;
        W* w = window_.data();
        window_.clear();
        w->hide();
        // Deferred: unload is usually asked by one of the window's own handlers.
        w->deleteLater();
    }

private:
    std::function<W*()> make_;
    QPointer<W> window_;
};
