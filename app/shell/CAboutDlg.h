#pragma once

#include <QDialog>

// The About box: icon, version line, the maker's notice and "OK".
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
