#include "ui/desktop/window_place.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QSettings>
#include <QStyle>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace {

// One side of fitWithin: the start and the length along it.
std::pair<int, int> fitSpan(int start, int length, int areaStart, int areaLength, int smallest) {
    if (length > areaLength)
        length = std::max(areaLength, smallest);
    start = std::min(start, areaStart + areaLength - length);
    return {std::max(start, areaStart), length};
}

// Places one window and, given a key, keeps its place in the settings. Lives as the window's child.
class WindowPlace : public QObject {
public:
    WindowPlace(QWidget& window, const QString& key, QSize smallest)
        : QObject(&window), window_(window), key_(key), smallest_(smallest) {
        window.installEventFilter(this);
        if (!key_.isEmpty())
            connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
                if (window_.isVisible())
                    store();
            });
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &window_ && !event->spontaneous()) {
            if (event->type() == QEvent::Show) {
                if (!placed_ && !key_.isEmpty()) {
                    placed_ = true;
                    if (!restore())
                        centre();
                }
                fit();
            } else if (event->type() == QEvent::Hide && !key_.isEmpty()) {
                store();
            }
        }
        return false;
    }

private:
    QString entry(const char* name) const { return "windows/" + key_ + "/" + name; }

    // The frame around the window: its own once the desktop has told it, else that of another window shown
    // (the same desktop draws the same frame), else none.
    QMargins frame() const {
        if (window_.windowHandle() && !window_.windowHandle()->frameMargins().isNull())
            return window_.windowHandle()->frameMargins();
        for (QWidget* other : QApplication::topLevelWidgets())
            if (other != &window_ && other->isVisible() && other->windowHandle() &&
                !other->windowHandle()->frameMargins().isNull())
                return other->windowHandle()->frameMargins();
        return {};
    }

    // The frame's place and the window's own size, outside a maximized state.
    QRect normalFrame(const QMargins& margins) const {
        const QRect normal = window_.windowState() & (Qt::WindowMaximized | Qt::WindowMinimized)
                                 ? window_.normalGeometry()
                                 : window_.geometry();
        return normal.marginsAdded(margins);
    }

    QScreen* screenFor(const QRect& frame) const {
        if (QScreen* holding = QGuiApplication::screenAt(frame.center()))
            return holding;
        return window_.screen() ? window_.screen() : QGuiApplication::primaryScreen();
    }

    void setFrame(const QRect& frame, const QMargins& margins) {
        window_.resize(frame.size().shrunkBy(margins));
        // The place of a window is its frame's.
        window_.move(frame.topLeft());
    }

    bool restore() {
        QSettings store;
        const QPoint place = store.value(entry("place")).toPoint();
        const QSize size = store.value(entry("size")).toSize();
        if (!size.isValid() || size.isEmpty())
            return false;
        setFrame(QRect(place, size.grownBy(frame())), frame());
        if (store.value(entry("maximized")).toBool())
            window_.setWindowState(window_.windowState() | Qt::WindowMaximized);
        return true;
    }

    void centre() {
        const QMargins margins = frame();
        const QSize outer = window_.size().grownBy(margins);
        QWidget* parent = window_.parentWidget() ? window_.parentWidget()->window() : nullptr;
        const QRect over = parent && parent->isVisible()
                               ? parent->frameGeometry()
                               : screenFor(normalFrame(margins))->availableGeometry();
        setFrame(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, outer, over), margins);
    }

    void fit() {
        if (window_.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))
            return;
        const QMargins margins = frame();
        const QRect now = normalFrame(margins);
        const QSize smallest = smallest_.expandedTo(window_.minimumSize()).grownBy(margins);
        const QRect fitted = fitWithin(now, screenFor(now)->availableGeometry(), smallest);
        if (fitted != now)
            setFrame(fitted, margins);
    }

    void store() {
        const QRect normal = normalFrame(frame());
        QSettings store;
        store.setValue(entry("place"), normal.topLeft());
        store.setValue(entry("size"), normal.size().shrunkBy(frame()));
        store.setValue(entry("maximized"), window_.isMaximized());
    }

    QWidget& window_;
    const QString key_;
    const QSize smallest_;
    bool placed_ = false;
};

} // namespace

QRect fitWithin(const QRect& frame, const QRect& area, const QSize& smallest) {
    const auto [x, width] = fitSpan(frame.x(), frame.width(), area.x(), area.width(), smallest.width());
    const auto [y, height] = fitSpan(frame.y(), frame.height(), area.y(), area.height(), smallest.height());
    return {x, y, width, height};
}

void keepWindowPlace(QWidget& window, const QString& key, QSize smallest) {
    new WindowPlace(window, key, smallest);
}
