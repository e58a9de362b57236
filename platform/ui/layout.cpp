// Control placement and text fitting from the resource geometry.
#include "platform/ui/layout.h"

#include <algorithm>

#include "platform/ui/control_kinds.h"

namespace platform {

namespace {

// The first and last pixel a start and extent cover, either way round.
void Span(int start, int extent, int *first, int *last)
{
    const int end = start + extent - 1;
    *first = extent < 0 ? end : start;
    *last = extent < 0 ? start : end;
}

}  // namespace

// As the toolkits reckon it: only a rect without width and height is nothing; a zero
// width still covers a column (its last pixel lies before its first).
bool Rect::Intersects(const Rect &o) const
{
    if ((width == 0 && height == 0) || (o.width == 0 && o.height == 0)) return false;
    int l1, r1, l2, r2, t1, b1, t2, b2;
    Span(left, width, &l1, &r1);
    Span(o.left, o.width, &l2, &r2);
    Span(top, height, &t1, &b1);
    Span(o.top, o.height, &t2, &b2);
    return !(l1 > r2 || l2 > r1 || t1 > b2 || t2 > b1);
}

int Extent(int value) { return std::clamp(value, 1, kMaxExtent); }

int RoomRight(const Panel &panel, const Control &control)
{
    return std::max(1, panel.width - control.left - 4);
}

bool Collides(const Panel &panel, const Rect &r, int self)
{
    for (const Control &other : panel.controls)
        if (other.id != self && other.visible &&
            r.Intersects({other.left, other.top, other.width, other.height}))
            return true;
    return false;
}

TextFit FitText(const Panel &panel, const Control &control, TextMeasure &text)
{
    const int room = RoomRight(panel, control);
    int shrink = 0;
    while (shrink < 2 && text.OneLine(shrink).width > room) ++shrink;
    if (text.OneLine(shrink).width <= room) return {shrink, false};
    const int height = text.WrappedHeight(room);
    if (height > 0 && !Collides(panel, {control.left, control.top, room, height}, control.id))
        return {0, true};
    shrink = 0;
    while (text.DialogPixels() - shrink > 8 && text.OneLine(shrink).width > room) ++shrink;
    return {shrink, false};
}

Rect BodyRect(const Panel &panel, const Control &c, Size natural, const TextFit &fit,
              TextMeasure *text)
{
    int width = c.width > 0 ? std::min(c.width, kMaxExtent) : natural.width;
    int height = c.height > 0 ? std::min(c.height, kMaxExtent) : natural.height;
    if (RulesOf(c.kind).growsToContent) {
        width = std::max(width, natural.width);
        height = std::max(height, natural.height);
    }
    if (fit.wrapped && text) {
        width = RoomRight(panel, c);
        height = text->WrappedHeight(width);
    }
    return {c.left, c.top, width, height};
}

Rect CaptionRect(const Panel &panel, const Control &c, int bodyHeight, Size natural)
{
    const Rect left{c.left - kCaptionGap - natural.width, c.top + (bodyHeight - natural.height) / 2,
                    natural.width, natural.height};
    if (left.left >= 0 && !Collides(panel, left, c.id)) return left;
    return {c.left, c.top - natural.height - 1, natural.width, natural.height};
}

bool CaptionShown(const Control &c) { return c.visible && !c.label.empty(); }

Size CanvasSize(const Panel &p, int bar, const std::vector<Rect> &shown)
{
    const bool vertical = p.scrollBars & VAL_VERT_SCROLL_BAR;
    const bool horizontal = p.scrollBars & 1;
    const int width = Extent(p.width) - (vertical ? bar : 0);
    const int height = Extent(p.height) - (horizontal ? bar : 0);
    int right = width, bottom = height;
    for (const Rect &r : shown) {
        right = std::max(right, r.Right());
        bottom = std::max(bottom, r.Bottom());
    }
    return {horizontal ? std::min(right, kMaxExtent) : width,
            vertical ? std::min(bottom, kMaxExtent) : height};
}

std::vector<int> TabOrder(const Panel &p)
{
    std::vector<const Control *> order;
    for (const Control &c : p.controls)
        if (RulesOf(c.kind).inTabOrder) order.push_back(&c);
    std::stable_sort(order.begin(), order.end(),
                     [](const Control *a, const Control *b) { return a->top < b->top; });
    for (size_t first = 0; first < order.size();) {
        const Control *head = order[first];
        size_t end = first + 1;
        while (end < order.size() && order[end]->top < head->top + std::max(head->height, 1)) ++end;
        std::stable_sort(order.begin() + static_cast<long>(first), order.begin() + static_cast<long>(end),
                         [](const Control *a, const Control *b) { return a->left < b->left; });
        first = end;
    }
    std::vector<int> ids;
    for (const Control *c : order) ids.push_back(c->id);
    return ids;
}

Rect PlaceWindow(const Panel &p, Size window, const Rect &screen)
{
    Rect at{p.left, p.top, window.width, window.height};
    // The centre as the toolkits reckon it: the middle pixel of the area.
    if (p.left == VAL_AUTO_CENTER) at.left = screen.left + (screen.width - 1) / 2 - window.width / 2;
    if (p.top == VAL_AUTO_CENTER) at.top = screen.top + (screen.height - 1) / 2 - window.height / 2;
    return at;
}

}  // namespace platform
