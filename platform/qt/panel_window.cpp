// A panel of the ui model as a top-level window: a fixed-size client area with the
// panel's background and scroll bars, the controls at their positions, and the menu bar
// installed on the panel above the client area.
#include <QAccessible>
#include <QAccessibleWidget>
#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QAbstractItemView>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStyle>
#include <QWheelEvent>
#include <QWindow>

#include <algorithm>
#include <climits>

#include "platform/qt/qt_internal.h"

namespace platform::qt {
namespace {

constexpr int kMaxExtent = 8000;  // a damaged resource must not ask for huge windows
constexpr int kCaptionGap = 6;

int Extent(int value) { return std::clamp(value, 1, kMaxExtent); }

QColor Blend(const QColor &from, const QColor &to, double share)
{
    auto mix = [share](int a, int b) { return static_cast<int>(a + (b - a) * share + 0.5); };
    return QColor(mix(from.red(), to.red()), mix(from.green(), to.green()), mix(from.blue(), to.blue()));
}

// A button's colour and its text colour; dimmed, both fade most of the way into the
// panel behind it, so that a dimmed button reads as out of use beside active ones.
void SetColours(QWidget *w, QPalette::ColorRole role, int rgb)
{
    QPalette pal = w->palette();
    QColor colour = FromRgb(rgb);
    pal.setColor(role, colour);
    if (role == QPalette::Button) {
        QColor text = colour.lightness() < 128 ? Qt::white : Qt::black;
        QColor back = w->parentWidget() ? w->parentWidget()->palette().color(QPalette::Window) : colour;
        pal.setColor(QPalette::ButtonText, text);
        pal.setColor(QPalette::Disabled, QPalette::Button, Blend(colour, back, 0.75));
        pal.setColor(QPalette::Disabled, QPalette::ButtonText, Blend(text, back, 0.6));
    }
    w->setPalette(pal);
}

// Dimmed labels stay readable on grey panels; a dimmed checkbox shows no white field
// and a grey mark, unlike the white field of an active one.
void SetDimmedColours(QWidget *canvas)
{
    QPalette pal = canvas->palette();
    QColor back = pal.color(QPalette::Window);
    pal.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x70, 0x70, 0x70));
    pal.setColor(QPalette::Disabled, QPalette::Base, back.darker(106));
    pal.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x80, 0x80));
    canvas->setPalette(pal);
}

// The focus outline and the selection are drawn in the palette's highlight colour (one
// shade darker for the outline): dark enough to stand out from the grey panels by more
// than 3:1. White selected text gains by it too.
const QColor kFocusHighlight(0x1F, 0x5F, 0x8B);

void SetFocusColours(QWidget *canvas)
{
    QPalette pal = canvas->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        pal.setColor(group, QPalette::Highlight, kFocusHighlight);
    canvas->setPalette(pal);
}

// The style draws a check box's border from its window colour, a little darker: on the
// grey panels that border all but vanishes. The box's own window colour (it paints no
// background of its own) is darkened so that the border stands out by more than 3:1.
void SetBorderColour(QCheckBox *box)
{
    QPalette pal = box->palette();
    pal.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
    box->setPalette(pal);
}

void SyncRingItems(QComboBox *combo, const Control &c)
{
    bool same = combo->count() == static_cast<int>(c.items.size());
    for (int i = 0; same && i < combo->count(); ++i)
        same = combo->itemText(i) == FromModel(c.items[static_cast<size_t>(i)].label);
    if (!same) {
        combo->clear();
        for (const ListItem &item : c.items) combo->addItem(FromModel(item.label));
    }
    bool valid = c.value >= 0 && c.value < combo->count();
    combo->setCurrentIndex(valid ? c.value : -1);
}

void SyncListItems(QListWidget *list, const Control &c)
{
    bool same = list->count() == static_cast<int>(c.items.size());
    for (int i = 0; same && i < list->count(); ++i)
        same = list->item(i)->text() == FromModel(c.items[static_cast<size_t>(i)].label);
    if (!same) {
        list->clear();
        for (const ListItem &item : c.items) list->addItem(FromModel(item.label));
    }
    bool valid = c.value >= 0 && c.value < list->count();
    list->clearSelection();
    list->setCurrentRow(valid ? c.value : -1);
}

// Rings and numeric fields change only on purpose: the mouse wheel scrolls the panel
// instead of changing a value (and setting off its callback) by accident.
class RingBox : public QComboBox {
public:
    using QComboBox::QComboBox;

protected:
    void wheelEvent(QWheelEvent *event) override { event->ignore(); }
};

class NumericBox : public QSpinBox {
public:
    using QSpinBox::QSpinBox;

protected:
    void wheelEvent(QWheelEvent *event) override { event->ignore(); }
};

}  // namespace

PanelWindow::PanelWindow(int panel, std::function<void(std::function<void()>)> act)
    : panel_(panel), act_(std::move(act))
{
    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(false);
    scroll_->setFocusPolicy(Qt::NoFocus);  // focus starts at the panel's first control
    canvas_ = new QWidget;
    canvas_->setAutoFillBackground(true);
    scroll_->setWidget(canvas_);
    setCentralWidget(scroll_);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    if (const Panel *p = FindPanel(panel)) BuildControls(*p);
    SyncPanel();
}

QWidget *PanelWindow::Body(int control) const
{
    auto it = views_.find(control);
    return it == views_.end() ? nullptr : it->second.body;
}

QLabel *PanelWindow::Caption(int control) const
{
    auto it = views_.find(control);
    return it == views_.end() ? nullptr : it->second.caption;
}

QAction *PanelWindow::MenuAction(int item) const
{
    auto it = actions_.find(item);
    return it == actions_.end() ? nullptr : it->second;
}

void PanelWindow::SyncPanel()
{
    const Panel *p = FindPanel(panel_);
    if (!p) return;
    setWindowTitle(FromModel(p->title));
    SetColours(canvas_, QPalette::Window, p->backColor);
    SetDimmedColours(canvas_);
    SetFocusColours(canvas_);
    SetColours(scroll_->viewport(), QPalette::Window, p->backColor);
    scroll_->setVerticalScrollBarPolicy((p->scrollBars & VAL_VERT_SCROLL_BAR) ? Qt::ScrollBarAlwaysOn
                                                                              : Qt::ScrollBarAlwaysOff);
    scroll_->setHorizontalScrollBarPolicy((p->scrollBars & 1) ? Qt::ScrollBarAlwaysOn
                                                              : Qt::ScrollBarAlwaysOff);
    scroll_->setFixedSize(Extent(p->width), Extent(p->height));
    SyncCanvasSize(*p);
    SyncMenuBar();
    for (const Control &c : p->controls) SyncAccessText(*p, c);
    Qt::WindowModality modality = p->popup ? Qt::ApplicationModal : Qt::NonModal;
    if (windowModality() != modality) {
        bool shown = isVisible();
        if (shown) hide();
        setWindowModality(modality);
    }
    if (p->displayed) Show(*p);
    else hide();
}

void PanelWindow::Show(const Panel &p)
{
    if (!placed_) {
        ShowStatusLine(this);
        adjustSize();
        QScreen *screen = QGuiApplication::primaryScreen();
        QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
        QPoint at(p.left, p.top);
        if (p.left == VAL_AUTO_CENTER) at.setX(area.center().x() - width() / 2);
        if (p.top == VAL_AUTO_CENTER) at.setY(area.center().y() - height() / 2);
        move(at);
        placed_ = true;
    }
    if (isVisible()) return;
    if (p.popup) {
        if (QWidget *main = MainWindowFor(panel_)) {
            winId();
            windowHandle()->setTransientParent(main->windowHandle());
        }
    }
    show();
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) raise();
    activateWindow();
}

// The scrolled canvas holds the panel's client area; with a vertical scroll bar it
// grows to the lowest visible control so that everything can be scrolled to.
void PanelWindow::SyncCanvasSize(const Panel &p)
{
    int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    bool vertical = p.scrollBars & VAL_VERT_SCROLL_BAR;
    bool horizontal = p.scrollBars & 1;
    int width = Extent(p.width) - (vertical ? bar : 0);
    int height = Extent(p.height) - (horizontal ? bar : 0);
    int right = width, bottom = height;
    for (const auto &[id, view] : views_) {
        if (!view.body->isVisibleTo(canvas_)) continue;
        QRect r = view.body->geometry();
        if (view.caption && view.caption->isVisibleTo(canvas_)) r |= view.caption->geometry();
        right = std::max(right, r.right() + 1);
        bottom = std::max(bottom, r.bottom() + 1);
    }
    canvas_->resize(horizontal ? std::min(right, kMaxExtent) : width,
                    vertical ? std::min(bottom, kMaxExtent) : height);
}

void PanelWindow::BuildControls(const Panel &p)
{
    for (const Control &c : p.controls) BuildControl(c);
    for (const Control &c : p.controls) SyncControl(c.id);
    ChainTabOrder(p);
}

void PanelWindow::BuildControl(const Control &c)
{
    ControlView view;
    view.kind = c.kind;
    switch (c.kind) {
    case CtrlKind::Ring: {
        auto *combo = new RingBox(canvas_);
        combo->setFont(FixedFont());
        view.body = combo;
        break;
    }
    case CtrlKind::Checkbox: {
        auto *box = new QCheckBox(canvas_);
        SetBorderColour(box);
        view.body = box;
        break;
    }
    case CtrlKind::CommandButton: view.body = new QPushButton(canvas_); break;
    case CtrlKind::ToggleButton: {
        auto *button = new QPushButton(canvas_);
        button->setCheckable(true);
        view.body = button;
        break;
    }
    case CtrlKind::Numeric: {
        auto *spin = new NumericBox(canvas_);
        spin->setKeyboardTracking(false);  // typed digits commit on Enter or leaving
        view.body = spin;
        break;
    }
    case CtrlKind::TextMessage: {
        auto *text = new QLabel(canvas_);
        text->setTextFormat(Qt::PlainText);
        view.body = text;
        break;
    }
    case CtrlKind::Picture: view.body = NewPicture(c.image, canvas_); break;
    case CtrlKind::ListBox: {
        auto *list = new QListWidget(canvas_);
        list->setFont(FixedFont());
        view.body = list;
        break;
    }
    }
    if (c.kind == CtrlKind::Ring || c.kind == CtrlKind::Numeric || c.kind == CtrlKind::ToggleButton)
        view.caption = new QLabel(canvas_);
    views_[c.id] = view;
    ConnectControl(c, view.body);
}

// Each committed operator change becomes one Operator* call; whatever the layer refused
// or the callback changed, the widget then shows the model again.
void PanelWindow::ConnectControl(const Control &c, QWidget *body)
{
    const int id = c.id;
    const bool numeric = c.kind == CtrlKind::Numeric;
    auto operate = [this, id, numeric](std::function<void()> action) {
        if (!numeric) CommitPendingEdit();
        act_(std::move(action));
        SyncControl(id);
    };
    auto changed = [this, id](int value) {
        const Control *now = FindControl(panel_, id);
        return now && now->value != value;
    };
    switch (c.kind) {
    case CtrlKind::Ring:
        connect(static_cast<QComboBox *>(body), &QComboBox::activated, this,
                [this, id, operate, changed](int index) {
                    if (changed(index)) operate([=, this] { OperatorSetValue(panel_, id, index); });
                    else SyncControl(id);
                });
        break;
    case CtrlKind::Checkbox:
        connect(static_cast<QCheckBox *>(body), &QCheckBox::clicked, this,
                [this, id, operate](bool on) { operate([=, this] { OperatorSetValue(panel_, id, on); }); });
        break;
    case CtrlKind::CommandButton:
        connect(static_cast<QPushButton *>(body), &QPushButton::clicked, this,
                [this, id, operate] { operate([=, this] { OperatorPressButton(panel_, id); }); });
        break;
    case CtrlKind::ToggleButton:
        connect(static_cast<QPushButton *>(body), &QPushButton::clicked, this,
                [this, id, operate](bool on) { operate([=, this] { OperatorToggle(panel_, id, on); }); });
        break;
    case CtrlKind::Numeric:
        connect(static_cast<QSpinBox *>(body), &QSpinBox::valueChanged, this,
                [this, id, operate, changed](int value) {
                    if (changed(value)) operate([=, this] { OperatorSetValue(panel_, id, value); });
                });
        break;
    case CtrlKind::ListBox:
        // Only a selected row is a choice: focus alone makes the first row current.
        connect(static_cast<QListWidget *>(body), &QListWidget::itemSelectionChanged, this,
                [this, id, operate, changed, body] {
                    auto *list = static_cast<QListWidget *>(body);
                    const QList<QListWidgetItem *> rows = list->selectedItems();
                    const int row = rows.isEmpty() ? -1 : list->row(rows.first());
                    if (row >= 0 && changed(row))
                        operate([=, this] { OperatorSetValue(panel_, id, row); });
                });
        break;
    case CtrlKind::TextMessage:
    case CtrlKind::Picture: break;
    }
}

// A numeric field takes typed digits only on Enter or when it loses focus. A button
// reached by its mnemonic, or clicked while the field keeps the focus, must still see
// the typed number: the field's pending text is committed first, as its own change.
void PanelWindow::CommitPendingEdit()
{
    for (auto &[id, view] : views_)
        if (view.kind == CtrlKind::Numeric) static_cast<QSpinBox *>(view.body)->interpretText();
}

void PanelWindow::SyncControl(int control)
{
    const Control *c = FindControl(panel_, control);
    auto it = views_.find(control);
    if (!c || it == views_.end()) return;
    ControlView &view = it->second;
    QSignalBlocker block(view.body);
    switch (c->kind) {
    case CtrlKind::Ring: SyncRingItems(static_cast<QComboBox *>(view.body), *c); break;
    case CtrlKind::Checkbox: {
        auto *box = static_cast<QCheckBox *>(view.body);
        box->setText(WithMnemonic(c->label));
        box->setChecked(c->value != 0);
        break;
    }
    case CtrlKind::CommandButton:
        static_cast<QPushButton *>(view.body)->setText(WithMnemonic(c->label));
        SetColours(view.body, QPalette::Button, c->buttonColor);
        break;
    case CtrlKind::ToggleButton: {
        auto *button = static_cast<QPushButton *>(view.body);
        bool on = c->value != 0;
        button->setChecked(on);
        button->setText(WithMnemonic(on ? c->onText : c->offText));
        SetColours(view.body, QPalette::Button, on ? c->onColor : c->offColor);
        break;
    }
    case CtrlKind::Numeric: {
        auto *spin = static_cast<QSpinBox *>(view.body);
        if (c->minValue <= c->maxValue) spin->setRange(c->minValue, c->maxValue);
        else spin->setRange(INT_MIN, INT_MAX);
        spin->setValue(c->value);
        break;
    }
    case CtrlKind::TextMessage: static_cast<QLabel *>(view.body)->setText(FromModel(c->text)); break;
    case CtrlKind::Picture: break;
    case CtrlKind::ListBox: SyncListItems(static_cast<QListWidget *>(view.body), *c); break;
    }
    if (view.caption) view.caption->setText(WithMnemonic(c->label));
    if (const Panel *p = FindPanel(panel_)) SyncAccessText(*p, *c);
    view.body->setEnabled(!c->dimmed);
    if (view.caption) view.caption->setEnabled(!c->dimmed);
    PlaceControl(*c, view);
    if (const Panel *p = FindPanel(panel_)) SyncCanvasSize(*p);
}

// The control's name and description for assistive technology, in the panel's language;
// a caption names its control (a buddy) only while it has a text to show; the dialog's
// default button is marked as such.
void PanelWindow::SyncAccessText(const Panel &p, const Control &c)
{
    auto it = views_.find(c.id);
    if (it == views_.end()) return;
    ControlView &view = it->second;
    view.body->setAccessibleName(FromModel(AccessibleName(p, c)));
    view.body->setAccessibleDescription(FromModel(AccessibleDescription(p, c)));
    if (view.caption) view.caption->setBuddy(c.label.empty() ? nullptr : view.body);
    if (c.kind == CtrlKind::CommandButton)
        static_cast<QPushButton *>(view.body)->setDefault(c.id == p.defaultButton);
}

// True when r overlaps a control of the panel other than `self`.
bool PanelWindow::Collides(const QRect &r, int self) const
{
    const Panel *p = FindPanel(panel_);
    if (!p) return false;
    for (const Control &other : p->controls)
        if (other.id != self && other.visible &&
            r.intersects(QRect(other.left, other.top, other.width, other.height)))
            return true;
    return false;
}

// The body sits at the control's position with the control's size (its natural size
// where the resource gives none; text messages grow to their text). A caption stands
// left of the body when there is room for it, otherwise above it.
void PanelWindow::PlaceControl(const Control &c, ControlView &view)
{
    if (c.kind == CtrlKind::TextMessage) FitText(c, static_cast<QLabel *>(view.body));
    QSize hint = view.body->sizeHint();
    int width = c.width > 0 ? std::min(c.width, kMaxExtent) : hint.width();
    int height = c.height > 0 ? std::min(c.height, kMaxExtent) : hint.height();
    if (c.kind == CtrlKind::TextMessage || c.kind == CtrlKind::Checkbox) {
        width = std::max(width, hint.width());
        height = std::max(height, hint.height());
    }
    if (c.kind == CtrlKind::TextMessage && view.body->property("wrapped").toBool()) {
        width = RoomRight(c);
        height = static_cast<QLabel *>(view.body)->heightForWidth(width);
    }
    view.body->setGeometry(c.left, c.top, width, height);
    view.body->setVisible(c.visible);
    if (!view.caption) return;
    QSize size = view.caption->sizeHint();
    bool hasText = !c.label.empty();
    QRect left(c.left - kCaptionGap - size.width(), c.top + (height - size.height()) / 2,
               size.width(), size.height());
    if (left.left() >= 0 && !Collides(left, c.id)) view.caption->setGeometry(left);
    else view.caption->setGeometry(c.left, c.top - size.height() - 1, size.width(), size.height());
    view.caption->setVisible(c.visible && hasText);
}

// Width from the control's left edge to the panel's right edge.
int PanelWindow::RoomRight(const Control &c) const
{
    const Panel *p = FindPanel(panel_);
    return p ? std::max(1, p->width - c.left - 4) : 1;
}

// A text message wider than the room left in the panel keeps its one line in a font up
// to two pixels smaller (a heading broken before its last word reads badly); failing
// that it is wrapped onto more lines when they fit without covering another control,
// otherwise set in a smaller font still.
void PanelWindow::FitText(const Control &c, QLabel *label)
{
    label->setWordWrap(false);
    label->setFont(QFont());
    label->setProperty("wrapped", false);
    int room = RoomRight(c);
    if (label->sizeHint().width() <= room) return;
    QFont smaller = DialogFont();
    for (int step = 0; step < 2 && label->sizeHint().width() > room; ++step) {
        smaller.setPixelSize(smaller.pixelSize() - 1);
        label->setFont(smaller);
    }
    if (label->sizeHint().width() <= room) return;
    label->setFont(QFont());
    label->setWordWrap(true);
    QRect wrapped(c.left, c.top, room, label->heightForWidth(room));
    if (label->heightForWidth(room) > 0 && !Collides(wrapped, c.id)) {
        label->setProperty("wrapped", true);
        return;
    }
    label->setWordWrap(false);
    QFont font = DialogFont();
    while (font.pixelSize() > 8 && label->sizeHint().width() > room) {
        font.setPixelSize(font.pixelSize() - 1);
        label->setFont(font);
    }
}

// Tab goes through the controls as the panel reads: row by row, left to right. Controls
// of one row need not share their top edge (a check box sits a little lower than the
// ring beside it): a control whose top lies within the first control of the row
// belongs to that row.
void PanelWindow::ChainTabOrder(const Panel &p)
{
    std::vector<const Control *> order;
    for (const Control &c : p.controls)
        if (c.kind != CtrlKind::TextMessage && c.kind != CtrlKind::Picture) order.push_back(&c);
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
    for (size_t i = 1; i < order.size(); ++i)
        setTabOrder(views_[order[i - 1]->id].body, views_[order[i]->id].body);
}

// Enter presses the focused button, as Space does; elsewhere (a field that has taken
// its number) it presses the dialog's default button. Escape cancels or closes a dialog.
void PanelWindow::keyPressEvent(QKeyEvent *event)
{
    auto *button = qobject_cast<QPushButton *>(focusWidget());
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (button && enter) {
        button->click();
        return;
    }
    const Panel *p = FindPanel(panel_);
    const bool escape = event->key() == Qt::Key_Escape;
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (p && plain && ((enter && p->defaultButton) || escape)) {
        if (enter) CommitPendingEdit();  // Escape drops what was typed
        act_([this, enter] { enter ? OperatorReturnKey(panel_) : OperatorEscapeKey(panel_); });
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void PanelWindow::closeEvent(QCloseEvent *event)
{
    event->ignore();  // the panel callback decides; the window goes when the panel does
    act_([this] { OperatorClosePanel(panel_); });
}

void PanelWindow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange) {
        bool active = isActiveWindow();
        act_([this, active] { OperatorFocusPanel(panel_, active); });
    }
    QMainWindow::changeEvent(event);
}

namespace {

// A panel shown as a modal popup is a dialog to assistive technology, and says it is
// modal; other panels are plain windows.
class PanelAccessible : public QAccessibleWidget {
public:
    explicit PanelAccessible(QWidget *w) : QAccessibleWidget(w, QAccessible::Window) {}
    QAccessible::Role role() const override
    {
        return Modal() ? QAccessible::Dialog : QAccessible::Window;
    }
    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.modal = Modal();
        return state;
    }

private:
    bool Modal() const { return widget()->windowModality() != Qt::NonModal; }
};

// A ring: Qt's own combo box interface names it, on Linux, after its current item and
// leaves the name to a label relation. This one says the ring's accessible name, its
// current item as its value, and keeps the item list as its child, as Qt's does.
class RingAccessible : public QAccessibleWidget {
public:
    explicit RingAccessible(QComboBox *combo) : QAccessibleWidget(combo, QAccessible::ComboBox) {}
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value) return Combo()->currentText();
        return QAccessibleWidget::text(t);
    }
    int childCount() const override { return Combo()->view() ? 1 : 0; }
    QAccessibleInterface *child(int index) const override
    {
        return index == 0 && Combo()->view() ? QAccessible::queryAccessibleInterface(Combo()->view())
                                             : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return child && child->object() == Combo()->view() ? 0 : -1;
    }
    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.expandable = true;
        state.expanded = Combo()->view() && Combo()->view()->isVisible();
        return state;
    }
    QStringList actionNames() const override
    {
        return QStringList{showMenuAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString &action) override
    {
        if (action == showMenuAction()) Combo()->showPopup();
        else QAccessibleWidget::doAction(action);
    }

private:
    QComboBox *Combo() const { return static_cast<QComboBox *>(widget()); }
};

QAccessibleInterface *AccessibleFor(const QString &, QObject *object)
{
    if (dynamic_cast<PanelWindow *>(object)) return new PanelAccessible(static_cast<QWidget *>(object));
    if (auto *ring = dynamic_cast<RingBox *>(object)) return new RingAccessible(ring);
    auto *widget = qobject_cast<QWidget *>(object);
    if (widget && widget->property(kPictureProperty).toBool())
        return new QAccessibleWidget(widget, QAccessible::Graphic);
    return nullptr;
}

}  // namespace

void InstallAccessibleRoles()
{
    static bool installed = false;
    if (!installed) QAccessible::installFactory(AccessibleFor);
    installed = true;
}

}  // namespace platform::qt
