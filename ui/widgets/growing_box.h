#pragma once

#include <QRect>

#include <vector>

class QGroupBox;
class QWidget;

// A group box of the main window, laid out for the window's default size, that follows the window as it
// grows: the box moves down and grows by what it is given, the header cells above its table stretch
// across with it, their edges kept together, and the table stretches across and down. Given nothing, every
// child stands where it was laid out.
class GrowingBox {
public:
    // Takes the places the box, its header cells and its table have now as their default places.
    GrowingBox(QGroupBox* box, QWidget* table);

    void place(int down, QSize grow);

private:
    struct Placed {
        QWidget* widget;
        QRect design;
    };
    // Where a header edge at x stands when the header is `wider` pixels wider.
    int stretched(int x, int wider) const;

    Placed box_;
    Placed table_;
    std::vector<Placed> header_;
    int headerLeft_ = 0;
    int headerSpan_ = 0;
};
