// The menu bar installed on a panel: menus with their mnemonics (Alt+letter opens
// them), items with their shortcut keys, separators, submenus, check marks and dimming
// from the model; entries the model hides are not shown.
#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

#include "platform/frontend/qt/qt_internal.h"

namespace platform::qt {

void PanelWindow::SyncMenuBar()
{
    const Panel *p = FindPanel(panel_);
    if (!p) return;
    const MenuBar *bar = p->menuBar ? FindMenuBar(p->menuBar) : nullptr;
    int handle = bar ? bar->handle : 0;
    if (handle != menuBar_) {
        if (QMenuBar *old = qobject_cast<QMenuBar *>(menuWidget())) {
            // The old menus may be on the stack (an item's callback installs another bar):
            // take them off the bar now and delete them later.
            for (QAction *action : old->actions()) {
                old->removeAction(action);
                if (QMenu *menu = action->menu()) Bury(menu);
            }
            old->setVisible(handle != 0);
        }
        actions_.clear();
        menuBar_ = handle;
        if (bar) BuildMenuBar(*bar);
    }
    if (bar) SyncMenuStates(*bar);
}

void PanelWindow::BuildMenuBar(const MenuBar &bar)
{
    QMenuBar *qbar = menuBar();  // created on first use, kept for the window's life
    qbar->setVisible(true);
    std::map<int, QMenu *> menus;
    const int barHandle = bar.handle;
    for (const MenuEntry &e : bar.entries) {
        auto parent = menus.find(e.parent);
        QMenu *owner = parent == menus.end() ? nullptr : parent->second;
        switch (e.kind) {
        case MenuKind::Menu: {
            QMenu *menu = qbar->addMenu(WithMnemonic(e.label));
            menus[e.id] = menu;
            actions_[e.id] = menu->menuAction();
            break;
        }
        case MenuKind::Item:
            if (!owner) break;
            if (e.submenu) {
                QMenu *sub = owner->addMenu(WithMnemonic(e.label));
                menus[e.submenu] = sub;
                actions_[e.id] = sub->menuAction();
            } else {
                QAction *action = owner->addAction(WithMnemonic(e.label));
                if (!e.shortcut.empty())
                    action->setShortcut(QKeySequence(QString::fromStdString(e.shortcut),
                                                     QKeySequence::PortableText));
                actions_[e.id] = action;
                const int item = e.id;
                connect(action, &QAction::triggered, this, [this, barHandle, item] {
                    CommitPendingEdit();
                    act_([=] { OperatorChooseMenu(barHandle, item); });
                    SyncMenuBar();  // a refused choice must not leave Qt's own check mark
                });
            }
            break;
        case MenuKind::Separator:
            if (owner) actions_[e.id] = owner->addSeparator();
            break;
        case MenuKind::Submenu: break;  // made by the item that opens it
        }
    }
}

// Only checked items are checkable: an unchecked item then looks like a plain one.
void PanelWindow::SyncMenuStates(const MenuBar &bar)
{
    for (const MenuEntry &e : bar.entries) {
        QAction *action = MenuAction(e.id);
        if (!action) continue;
        if (e.kind != MenuKind::Separator) {
            action->setText(WithMnemonic(e.label));
            action->setEnabled(e.visible && !e.dimmed);
        }
        action->setVisible(e.visible);
        if (e.kind == MenuKind::Item && !e.submenu) {
            action->setCheckable(e.checked);
            action->setChecked(e.checked);
        }
    }
}

}  // namespace platform::qt
