#include "common/CDlgCRC.h"

#include "common/SmallDialogLayout.h"
#include "resources/ResourceIds.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

CDlgCRC::CDlgCRC(QWidget* parent)
    : QDialog(parent), m_pEdit(new QLineEdit(this)), m_pBothWays(new QLabel(this)), m_pCompute(nullptr)
{
    setWindowTitle(QStringLiteral("Data CRC"));
    m_pEdit->setObjectName(QStringLiteral("id%1").arg(ids::CrcEdit));
    m_pBothWays->setObjectName(QStringLiteral("BothWays"));
    m_pBothWays->setTextInteractionFlags(Qt::TextSelectableByMouse);
    LayOutSmallDialog(this, m_pEdit);
    if (auto* box = findChild<QDialogButtonBox*>()) {
        m_pCompute = box->addButton(QStringLiteral("Compute"), QDialogButtonBox::ActionRole);
        m_pCompute->setObjectName(QStringLiteral("Compute"));
        m_pCompute->setAutoDefault(false);
        m_pCompute->hide();
        connect(m_pCompute, &QPushButton::clicked, this, &CDlgCRC::Compute);
    }
    static_cast<QVBoxLayout*>(layout())->insertWidget(1, m_pBothWays);
    setFixedHeight(sizeHint().height());
    connect(m_pEdit, &QLineEdit::textChanged, this, [this](const QString& text) { m_pBothWays->setText(BothWays(text)); });
}

void CDlgCRC::SetCompute(std::function<std::optional<std::uint32_t>()> compute)
{
    m_compute = std::move(compute);
    if (m_pCompute)
        m_pCompute->setVisible(static_cast<bool>(m_compute));
}

int CDlgCRC::exec()
{
    m_pEdit->setText(QString::number(m_crc));
    m_pBothWays->setText(BothWays(m_pEdit->text()));
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

void CDlgCRC::Compute()
{
    const std::optional<std::uint32_t> value = m_compute ? m_compute() : std::nullopt;
    if (!value) {
        m_pBothWays->setText(QStringLiteral("The entry's data cannot be read."));
        return;
    }
    m_pEdit->setText(QString::number(*value));
}

std::optional<quint32> CDlgCRC::ParseCheckSum(const QString& text)
{
    QString digits = text.trimmed();
    int base = 10;
    if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        base = 16;
        digits = digits.mid(2);
    }
    if (digits.isEmpty())
        return std::nullopt;
    quint64 value = 0;
    for (const QChar c : digits) {
        const int digit = c.isDigit() && c.unicode() < 128 ? c.unicode() - '0'
                          : base == 16 && c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f')
                              ? c.toLower().unicode() - 'a' + 10
                              : -1;
        if (digit < 0)
            return std::nullopt;
        value = value * static_cast<quint64>(base) + static_cast<quint64>(digit);
        if (value > 0xFFFFFFFFull)
            return std::nullopt;
    }
    return static_cast<quint32>(value);
}

QString CDlgCRC::NotANumberMessage()
{
    return QStringLiteral("Please enter a whole number from 0 to 4294967295, or from 0x0 to 0xFFFFFFFF.");
}

QString CDlgCRC::BothWays(const QString& text)
{
    const std::optional<quint32> value = ParseCheckSum(text);
    if (!value)
        return QStringLiteral("Not a number yet (decimal, or hex after 0x)");
    return QStringLiteral("%1 = 0x%2").arg(*value).arg(QString::number(*value, 16).rightJustified(8, QLatin1Char('0')).toUpper());
}
