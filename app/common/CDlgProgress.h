#pragma once

#include <QDialog>
#include <QString>

class QProgressBar;

// Modeless progress window for long work done on the UI thread. The
// constructor shows it centred on the screen; the caller advances it with
// Step() between its own steps, and destroying it closes it.
class CDlgProgress : public QDialog {
    Q_OBJECT
public:
    CDlgProgress(int range, const QString& title, QWidget* parent = nullptr);

    // One step forward; lets the window repaint before the caller goes on.
    void Step();

    int Range() const { return m_nRange; }
    int Position() const;

    // The window stays while its caller works: Escape and the close button
    // would only hide it, not stop the work, so they do nothing.
    void reject() override {}

    QProgressBar* m_progress;
    int m_nRange;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    static void PaintNow();
};
