#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;

// "Rename Entry": one line of text for an entry's new name. The caller sets
// m_name before exec() and reads it back when exec() gives QDialog::Accepted.
class CDlgRename : public QDialog {
    Q_OBJECT
public:
    explicit CDlgRename(QWidget* parent = nullptr);

    int exec() override;
    void accept() override;

    QString m_name;

private:
    QLineEdit* m_pEdit;
};
