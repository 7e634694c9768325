#pragma once

#include <QDialog>
#include <QList>
#include <QPair>
#include <QString>

// An entry's Properties: label and value lines, values selectable for copying.
class CDlgProperties : public QDialog {
    Q_OBJECT
public:
    CDlgProperties(const QString& title, const QList<QPair<QString, QString>>& lines, QWidget* parent = nullptr);
};
