#pragma once

class QMenu;
class QWidget;

namespace tallix {

class TFmTallixor;

// The text box's context menu offers the Edit menu's commands, run by the same handlers, so
// that an edit made from it goes through the program's undo history like any other. The text
// box's own menu would edit past that history.
QMenu* createMemoContextMenu(TFmTallixor* form, QWidget* parent);

// Gives the form's text box that menu.
void attachMemoContextMenu(TFmTallixor* form);

} // namespace tallix
