#include "common/WorkProgressDialog.h"

#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

WorkProgressDialog::WorkProgressDialog(const QString& title, QWidget* parent)
    : QDialog(parent), m_pText(new QLabel(title, this)), m_pBar(new QProgressBar(this))
{
    setWindowTitle(title);
    m_pBar->setRange(0, 0);
    m_pBar->setTextVisible(false);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    m_pCancel = buttons->button(QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::rejected, this, &WorkProgressDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pText);
    layout->addWidget(m_pBar);
    layout->addWidget(buttons);
    setMinimumWidth(360);
}

void WorkProgressDialog::SetProgress(int permille, const QString& text)
{
    if (permille < 0) {
        m_pBar->setRange(0, 0);
    } else {
        m_pBar->setRange(0, 1000);
        m_pBar->setValue(permille);
    }
    if (!m_bCancelRequested)
        m_pText->setText(text);
}

void WorkProgressDialog::reject()
{
    // Hiding the window would leave the work running unseen: it only asks.
    if (m_bCancelRequested)
        return;
    m_bCancelRequested = true;
    m_pCancel->setEnabled(false);
    m_pText->setText(QStringLiteral("Cancelling..."));
}

void WorkProgressDialog::closeEvent(QCloseEvent* event)
{
    event->ignore();
    reject();
}
