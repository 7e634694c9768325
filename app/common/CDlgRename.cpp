#include "common/CDlgRename.h"

#include "common/SmallDialogLayout.h"
#include "resources/ResourceIds.h"

#include <QLineEdit>

CDlgRename::CDlgRename(QWidget* parent)
    : QDialog(parent), m_pEdit(new QLineEdit(this))
{
    setWindowTitle(QStringLiteral("Rename Entry"));
    m_pEdit->setObjectName(QStringLiteral("id%1").arg(ids::RenameEdit));
    LayOutSmallDialog(this, m_pEdit);
}

int CDlgRename::exec()
{
    m_pEdit->setText(m_name);
    m_pEdit->selectAll();
    m_pEdit->setFocus();
    return QDialog::exec();
}

void CDlgRename::accept()
{
    // Any text is taken, the empty one included.
    m_name = m_pEdit->text();
    QDialog::accept();
}
