// Placing a panel's controls from the resource geometry, the same for every front end:
// where a body and its caption go, how a text message that does not fit is fitted, how
// large the scrolled client area is, the tab order, where a panel first appears. The
// front end measures texts in its own fonts (TextMeasure) and applies the results.
#pragma once

#include <vector>

#include "platform/ui/model.h"

namespace platform {

// A damaged resource must not ask for huge windows.
inline constexpr int kMaxExtent = 8000;
// Between a caption and the body it names.
inline constexpr int kCaptionGap = 6;

struct Size {
    int width = 0, height = 0;
};

struct Rect {
    int left = 0, top = 0, width = 0, height = 0;
    int Right() const { return left + width; }
    int Bottom() const { return top + height; }
    bool Intersects(const Rect &other) const;
};

// A panel or scroll extent as a window may have it: 1..kMaxExtent.
int Extent(int value);

// The front end's measure of one text message's text. Fonts are given as a shrink: 0 the
// normal font, n > 0 the dialog font n pixels smaller than its own size.
class TextMeasure {
public:
    virtual ~TextMeasure() = default;
    virtual Size OneLine(int shrink) = 0;
    virtual int WrappedHeight(int width) = 0;  // in the normal font, wrapped at width
    virtual int DialogPixels() = 0;            // the dialog font's own pixel size
};

// How a text message is set: in which font, on one line or wrapped.
struct TextFit {
    int shrink = 0;
    bool wrapped = false;
};

// Width from the control's left edge to the panel's right edge.
int RoomRight(const Panel &panel, const Control &control);
// True when r overlaps a visible control of the panel other than self.
bool Collides(const Panel &panel, const Rect &r, int self);
// A text message wider than the room left in the panel keeps its one line in a font up to
// two pixels smaller (a heading broken before its last word reads badly); failing that it
// is wrapped onto more lines when they fit without covering another control, otherwise
// set in a smaller font still (not below 8 pixels).
TextFit FitText(const Panel &panel, const Control &control, TextMeasure &text);
// The body sits at the control's position with the control's size (its natural size
// where the resource gives none; kinds that grow to their content never smaller than
// it; a wrapped text takes the room to the panel's edge at its wrapped height).
Rect BodyRect(const Panel &panel, const Control &control, Size natural, const TextFit &fit,
              TextMeasure *text);
// A caption stands left of the body when there is room for it, otherwise above it.
Rect CaptionRect(const Panel &panel, const Control &control, int bodyHeight, Size natural);
bool CaptionShown(const Control &control);
// The scrolled client area: the panel's size less the scroll bars; with a scroll bar it
// grows to the farthest shown control (shown: the rects on screen) so that everything
// can be scrolled to.
Size CanvasSize(const Panel &panel, int scrollBarExtent, const std::vector<Rect> &shown);
// Tab goes through the controls as the panel reads: row by row, left to right. A control
// whose top lies within the first control of a row belongs to that row.
std::vector<int> TabOrder(const Panel &panel);
// Where a window of this size first appears on a screen area: the panel's position, or
// centred where the panel asks for it.
Rect PlaceWindow(const Panel &panel, Size window, const Rect &screen);

}  // namespace platform
