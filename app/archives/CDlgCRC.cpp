#include "archives/CDlgCRC.h"

#include "archives/SmallDialogLayout.h"
#include "resources/ResourceIds.h"

#include <QLineEdit>
#include <QMessageBox>

CDlgCRC::CDlgCRC(QWidget* parent)
    : QDialog(parent), m_pEdit(new QLineEdit(this))
{
    setWindowTitle(QStringLiteral("Data CRC"));
    m_pEdit->setObjectName(QStringLiteral("id%1").arg(ids::CrcEdit));
    LayOutSmallDialog(this, m_pEdit);
}

int CDlgCRC::exec()
{
    m_pEdit->setText(QString::number(m_crc));
    m_pEdit->selectAll();
    m_pEdit->setFocus();
    return QDialog::exec();
}

void CDlgCRC::accept()
{
    const std::optional<quint32> value = ParseCheckSum(m_pEdit->text());
    if (!value) {
        QMessageBox::warning(this, QStringLiteral("Tomelens"), NotANumberMessage());
        m_pEdit->setFocus();
        m_pEdit->selectAll();
        return;
    }
    m_crc = *value;
    QDialog::accept();
}

std::optional<quint32> CDlgCRC::ParseCheckSum(const QString& text)
{
    const QString digits = text.trimmed();
    if (digits.isEmpty())
        return std::nullopt;
    quint64 value = 0;
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + static_cast<quint64>(c.unicode() - '0');
        if (value > 0xFFFFFFFFull)
            return std::nullopt;
    }
    return static_cast<quint32>(value);
}

QString CDlgCRC::NotANumberMessage()
{
    return QStringLiteral("Please enter a whole number from 0 to 4294967295.");
}
