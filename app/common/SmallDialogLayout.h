#pragma once

class QDialog;
class QLineEdit;

// The shared look of the two one-field dialogs: the edit on top, Cancel and
// the default OK button below it on the right, a fixed size.
void LayOutSmallDialog(QDialog* dialog, QLineEdit* edit);
