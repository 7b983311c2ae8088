#pragma once
// The frame every look-up dialog shares: the search row on top, the list,
// then a status line beside OK and Cancel. Cancel rejects the dialog; OK is
// returned for the caller to connect to its own confirmation.

class QDialog;
class QLabel;
class QLayout;
class QPushButton;
class QWidget;

QPushButton* layOutLookupDialog(QDialog* dialog, QLayout* searchRow, QWidget* list, QLabel* status);
