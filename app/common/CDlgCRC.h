#pragma once

#include <QDialog>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

// "Data CRC": an entry's checksum typed as an unsigned number, decimal or hex
// (0x...). The caller sets m_crc before exec() and reads it back on
// QDialog::Accepted. A line under the field shows the value both ways; with a
// compute function, Compute fills in the checksum of the entry's data. OK with
// text that is not such a number shows a message and keeps the dialog open.
class CDlgCRC : public QDialog {
    Q_OBJECT
public:
    explicit CDlgCRC(QWidget* parent = nullptr);

    int exec() override;
    void accept() override;

    // Gives Compute a function; without one the button is hidden.
    void SetCompute(std::function<std::optional<std::uint32_t>()> compute);

    // The value of decimal digits, or of hex digits after 0x, that fits in 32
    // bits (blanks around allowed); nothing otherwise.
    static std::optional<quint32> ParseCheckSum(const QString& text);
    static QString NotANumberMessage();
    // "305419896 = 0x12345678", or a hint when the text is no number.
    static QString BothWays(const QString& text);

    quint32 m_crc = 0;

private:
    void Compute();

    QLineEdit* m_pEdit;
    QLabel* m_pBothWays;
    QPushButton* m_pCompute;
    std::function<std::optional<std::uint32_t>()> m_compute;
};
