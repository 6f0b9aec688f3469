#pragma once
// Menu captions from the language file's "Menu" section: each named entry
// gives the caption of the first menu item, depth-first in menu order,
// whose name contains the entry's key, both upper-cased.
//
// An item's name is the "itemName" property of its QAction, else the
// action's objectName, else the objectName of its sub-menu; a menu entry
// that shares an action with a tool bar gets its own QAction (or the
// property) so that translating it renames nothing else.

class QWidget;

namespace quenby {

// menu: a QMenuBar or a QMenu. Nothing happens before a language has been
// loaded or when the file has no "Menu" section.
void TranslateMenu(QWidget* menu);

}  // namespace quenby
