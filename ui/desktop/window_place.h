#pragma once

#include <QRect>
#include <QString>

class QWidget;

// Where a window whose frame is `frame` stands so that it lies within `area` (a screen's available
// area): moved in by the least distance; when larger than the area, made as large as the area but never
// smaller than `smallest`; what then still does not fit keeps its top-left corner in the area, so that its
// title bar can be reached.
QRect fitWithin(const QRect& frame, const QRect& area, const QSize& smallest);

// Keeps a top-level window within the available area of its screen every time it is shown; it is never
// made smaller than `smallest` (nor its minimum size) to fit.
// With a key, the window's size, place and maximized state are kept between runs in the settings under
// "windows/<key>": stored when it is hidden and when the application quits, restored at its first
// showing (onto the screen that holds it now, within that screen). With nothing stored, the window keeps its
// size and is centred over its parent window, or on its screen when it has none. Without a key, the window
// opens where it would (a dialog over its parent) and is only moved, or made smaller, to lie within.
void keepWindowPlace(QWidget& window, const QString& key = {}, QSize smallest = {});
