#pragma once

#include <initializer_list>

class QHBoxLayout;
class QPushButton;
class QWidget;

// A dialog's push button, caption and objectName given as UTF-8. Never the default by
// focus: Enter and Escape belong to the dialog frame.
QPushButton *MakeDialogButton(const char *caption, const char *objectName, QWidget *parent);

// The buttons side by side on the right; the caller places the row.
QHBoxLayout *MakeButtonRow(std::initializer_list<QPushButton *> buttons);
