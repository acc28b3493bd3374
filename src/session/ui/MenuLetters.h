#pragma once

class QMenuBar;
class QWidget;

// Alt+letter belongs to the menu bar. A caption under root whose letter is also one of the
// bar's keeps its text and its underlined letter but loses its shortcut: with both, Qt
// would send the key to each in turn. Run again whenever captions change.
void LeaveLettersToMenu(const QMenuBar *bar, QWidget *root);
