#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QProgressBar;
class QPushButton;

// The window shown while a save, an extract or another long piece of work
// runs on a worker thread: a line of text, a bar and a Cancel button. Cancel,
// Escape and the window's close button all ask the work to stop; the window
// stays up, saying so, until the work has ended, and its owner closes it.
class WorkProgressDialog : public QDialog {
    Q_OBJECT
public:
    WorkProgressDialog(const QString& title, QWidget* parent);

    // Shows how far the work got: a fraction of 1000, or a busy bar when -1.
    void SetProgress(int permille, const QString& text);
    bool CancelRequested() const { return m_bCancelRequested; }

public slots:
    // Escape and Cancel land here; closing the window too.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* m_pText;
    QProgressBar* m_pBar;
    QPushButton* m_pCancel;
    bool m_bCancelRequested = false;
};
