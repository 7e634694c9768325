#pragma once

#include <QDialog>
#include <QString>

#include <optional>

class QLineEdit;

// "Data CRC": an entry's checksum typed as an unsigned decimal number. The
// caller sets m_crc before exec() and reads it back on QDialog::Accepted.
// OK with text that is not such a number shows a message and keeps the dialog open.
class CDlgCRC : public QDialog {
    Q_OBJECT
public:
    explicit CDlgCRC(QWidget* parent = nullptr);

    int exec() override;
    void accept() override;

    // The value of text made of decimal digits only (blanks around allowed)
    // that fits in 32 bits; nothing otherwise.
    static std::optional<quint32> ParseCheckSum(const QString& text);
    static QString NotANumberMessage();

    quint32 m_crc = 0;

private:
    QLineEdit* m_pEdit;
};
