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
#include <optional>

#include "platform/ui/control_kinds.h"
#include "platform/ui/layout.h"
#include "platform/frontend/qt/qt_internal.h"

namespace platform::qt {
namespace {

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


// The widget of each control kind: how it is made, how it shows the model, which of its
// signals is the operator's input (the value handed on) and, for a field that holds typed
// text until it is committed, how to commit it.
struct WidgetKind {
    CtrlKind kind;
    QWidget *(*make)(const Control &c, QWidget *canvas);
    void (*sync)(QWidget *body, const Control &c);
    void (*connect)(QWidget *body, QObject *context, std::function<void(int)> input);
    void (*commitPending)(QWidget *body);
};

template <typename W>
W *As(QWidget *body) { return static_cast<W *>(body); }

QWidget *MakeRing(const Control &, QWidget *canvas)
{
    auto *combo = new RingBox(canvas);
    combo->setFont(FixedFont());
    return combo;
}

QWidget *MakeCheckbox(const Control &, QWidget *canvas)
{
    auto *box = new QCheckBox(canvas);
    SetBorderColour(box);
    return box;
}

QWidget *MakeButton(const Control &, QWidget *canvas) { return new QPushButton(canvas); }

QWidget *MakeToggle(const Control &, QWidget *canvas)
{
    auto *button = new QPushButton(canvas);
    button->setCheckable(true);
    return button;
}

QWidget *MakeNumeric(const Control &, QWidget *canvas)
{
    auto *spin = new NumericBox(canvas);
    spin->setKeyboardTracking(false);  // typed digits commit on Enter or leaving
    return spin;
}

QWidget *MakeText(const Control &, QWidget *canvas)
{
    auto *text = new QLabel(canvas);
    text->setTextFormat(Qt::PlainText);
    return text;
}

QWidget *MakePicture(const Control &c, QWidget *canvas) { return NewPicture(c.image, canvas); }

QWidget *MakeList(const Control &, QWidget *canvas)
{
    auto *list = new QListWidget(canvas);
    list->setFont(FixedFont());
    return list;
}

void SyncCheckbox(QWidget *body, const Control &c)
{
    As<QCheckBox>(body)->setText(WithMnemonic(c.label));
    As<QCheckBox>(body)->setChecked(c.value != 0);
}

void SyncButton(QWidget *body, const Control &c)
{
    As<QPushButton>(body)->setText(WithMnemonic(c.label));
    SetColours(body, QPalette::Button, c.buttonColor);
}

void SyncToggle(QWidget *body, const Control &c)
{
    const bool on = c.value != 0;
    As<QPushButton>(body)->setChecked(on);
    As<QPushButton>(body)->setText(WithMnemonic(on ? c.onText : c.offText));
    SetColours(body, QPalette::Button, on ? c.onColor : c.offColor);
}

void SyncNumeric(QWidget *body, const Control &c)
{
    auto *spin = As<QSpinBox>(body);
    if (c.minValue <= c.maxValue) spin->setRange(c.minValue, c.maxValue);
    else spin->setRange(INT_MIN, INT_MAX);
    spin->setValue(c.value);
}

void SyncText(QWidget *body, const Control &c) { As<QLabel>(body)->setText(FromModel(c.text)); }
void SyncNothing(QWidget *, const Control &) {}
void SyncRing(QWidget *body, const Control &c) { SyncRingItems(As<QComboBox>(body), c); }
void SyncList(QWidget *body, const Control &c) { SyncListItems(As<QListWidget>(body), c); }

void ConnectRing(QWidget *body, QObject *context, std::function<void(int)> input)
{
    QObject::connect(As<QComboBox>(body), &QComboBox::activated, context, input);
}

void ConnectCheckable(QWidget *body, QObject *context, std::function<void(int)> input)
{
    QObject::connect(As<QAbstractButton>(body), &QAbstractButton::clicked, context,
                     [input](bool on) { input(on); });
}

void ConnectNumeric(QWidget *body, QObject *context, std::function<void(int)> input)
{
    QObject::connect(As<QSpinBox>(body), &QSpinBox::valueChanged, context, input);
}

// Only a selected row is a choice: focus alone makes the first row current.
void ConnectList(QWidget *body, QObject *context, std::function<void(int)> input)
{
    auto *list = As<QListWidget>(body);
    QObject::connect(list, &QListWidget::itemSelectionChanged, context, [list, input] {
        const QList<QListWidgetItem *> rows = list->selectedItems();
        const int row = rows.isEmpty() ? -1 : list->row(rows.first());
        if (row >= 0) input(row);
    });
}

void ConnectNothing(QWidget *, QObject *, std::function<void(int)>) {}

// A numeric field takes typed digits only on Enter or when it loses focus.
void CommitTypedNumber(QWidget *body) { As<QSpinBox>(body)->interpretText(); }

const WidgetKind kWidgetKinds[] = {
    {CtrlKind::Ring, MakeRing, SyncRing, ConnectRing, nullptr},
    {CtrlKind::Checkbox, MakeCheckbox, SyncCheckbox, ConnectCheckable, nullptr},
    {CtrlKind::CommandButton, MakeButton, SyncButton, ConnectCheckable, nullptr},
    {CtrlKind::ToggleButton, MakeToggle, SyncToggle, ConnectCheckable, nullptr},
    {CtrlKind::Numeric, MakeNumeric, SyncNumeric, ConnectNumeric, CommitTypedNumber},
    {CtrlKind::TextMessage, MakeText, SyncText, ConnectNothing, nullptr},
    {CtrlKind::Picture, MakePicture, SyncNothing, ConnectNothing, nullptr},
    {CtrlKind::ListBox, MakeList, SyncList, ConnectList, nullptr},
};

const WidgetKind &WidgetOf(CtrlKind kind)
{
    for (const WidgetKind &w : kWidgetKinds)
        if (w.kind == kind) return w;
    return kWidgetKinds[5];  // unreachable: every kind has its row
}

QFont FontFor(int shrink)
{
    if (shrink == 0) return QFont();
    QFont font = DialogFont();
    font.setPixelSize(font.pixelSize() - shrink);
    return font;
}

// A text message's label measured in the fonts the layout asks about.
class LabelMeasure : public TextMeasure {
public:
    explicit LabelMeasure(QLabel *label) : label_(label) {}
    Size OneLine(int shrink) override
    {
        label_->setWordWrap(false);
        label_->setFont(FontFor(shrink));
        const QSize hint = label_->sizeHint();
        return {hint.width(), hint.height()};
    }
    int WrappedHeight(int width) override
    {
        label_->setFont(QFont());
        label_->setWordWrap(true);
        return label_->heightForWidth(width);
    }
    int DialogPixels() override { return DialogFont().pixelSize(); }

private:
    QLabel *label_;
};

QRect ToQt(const Rect &r) { return QRect(r.left, r.top, r.width, r.height); }
Size FromQt(const QSize &s) { return {s.width(), s.height()}; }

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
        const Rect at = PlaceWindow(p, FromQt(size()), {area.x(), area.y(), area.width(), area.height()});
        move(at.left, at.top);
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

void PanelWindow::SyncCanvasSize(const Panel &p)
{
    std::vector<Rect> shown;
    for (const auto &[id, view] : views_) {
        if (!view.body->isVisibleTo(canvas_)) continue;
        QRect r = view.body->geometry();
        if (view.caption && view.caption->isVisibleTo(canvas_)) r |= view.caption->geometry();
        shown.push_back({r.x(), r.y(), r.width(), r.height()});
    }
    const Size size = CanvasSize(p, style()->pixelMetric(QStyle::PM_ScrollBarExtent), shown);
    canvas_->resize(size.width, size.height);
}

void PanelWindow::BuildControls(const Panel &p)
{
    for (const Control &c : p.controls) BuildControl(c);
    for (const Control &c : p.controls) SyncControl(c.id);
    const std::vector<int> order = TabOrder(p);
    for (size_t i = 1; i < order.size(); ++i) setTabOrder(views_[order[i - 1]].body, views_[order[i]].body);
}

void PanelWindow::BuildControl(const Control &c)
{
    ControlView view;
    view.kind = c.kind;
    view.body = WidgetOf(c.kind).make(c, canvas_);
    if (RulesOf(c.kind).caption) view.caption = new QLabel(canvas_);
    views_[c.id] = view;
    const int id = c.id;
    WidgetOf(c.kind).connect(view.body, this, [this, id](int value) { OnInput(id, value); });
}

// Each operator input that the control's kind takes as a change becomes one operator
// action; whatever the layer refused or the callback changed, the widget then shows the
// model again. A button reached by its mnemonic, or clicked while a field keeps the
// focus, must still see the field's typed text: it is committed first, as its own change.
void PanelWindow::OnInput(int id, int value)
{
    const Control *c = FindControl(panel_, id);
    if (!c) return;
    if (InputActs(*c, value)) {
        if (!WidgetOf(c->kind).commitPending) CommitPendingEdit();
        act_([this, id, value] { OperatorControlInput(panel_, id, value); });
    }
    SyncControl(id);
}

void PanelWindow::CommitPendingEdit()
{
    for (auto &[id, view] : views_)
        if (auto commit = WidgetOf(view.kind).commitPending) commit(view.body);
}

void PanelWindow::SyncControl(int control)
{
    const Panel *p = FindPanel(panel_);
    const Control *c = FindControl(panel_, control);
    auto it = views_.find(control);
    if (!p || !c || it == views_.end()) return;
    ControlView &view = it->second;
    QSignalBlocker block(view.body);
    WidgetOf(c->kind).sync(view.body, *c);
    if (view.caption) view.caption->setText(WithMnemonic(c->label));
    SyncAccessText(*p, *c);
    view.body->setEnabled(!c->dimmed);
    if (view.caption) view.caption->setEnabled(!c->dimmed);
    PlaceControl(*p, *c, view);
    SyncCanvasSize(*p);
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

// The run-time layer's placement applied to the widgets (layout.h).
void PanelWindow::PlaceControl(const Panel &p, const Control &c, ControlView &view)
{
    TextFit fit;
    auto *label = c.kind == CtrlKind::TextMessage ? static_cast<QLabel *>(view.body) : nullptr;
    std::optional<LabelMeasure> measure;
    if (label) {
        measure.emplace(label);
        fit = FitText(p, c, *measure);
        label->setWordWrap(fit.wrapped);
        label->setFont(FontFor(fit.shrink));
    }
    const Rect body = BodyRect(p, c, FromQt(view.body->sizeHint()), fit, measure ? &*measure : nullptr);
    view.body->setGeometry(ToQt(body));
    view.body->setVisible(c.visible);
    if (!view.caption) return;
    view.caption->setGeometry(ToQt(CaptionRect(p, c, body.height, FromQt(view.caption->sizeHint()))));
    view.caption->setVisible(CaptionShown(c));
}


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
