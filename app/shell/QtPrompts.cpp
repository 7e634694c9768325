#include "shell/QtPrompts.h"

#include "archives/CDlgCRC.h"
#include "archives/CDlgProperties.h"
#include "archives/CDlgRename.h"

#include <QCheckBox>
#include <QPushButton>

#include <QFileDialog>
#include <QMessageBox>

namespace {
QString TitleOr(const QString& caption)
{
    return caption.isEmpty() ? QStringLiteral("Tomelens") : caption;
}

// The file chosen in a file dialog; empty when it was cancelled.
QString ChosenFile(QFileDialog& dialog)
{
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}
}  // namespace

QtPrompts::QtPrompts(QWidget* parent) : m_pParent(parent) {}

void QtPrompts::Message(const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::NoIcon, TitleOr(caption), text, QMessageBox::Ok, m_pParent);
    box.exec();
}

bool QtPrompts::Question(const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::Question, TitleOr(caption), text,
                    QMessageBox::Yes | QMessageBox::No, m_pParent);
    return box.exec() == QMessageBox::Yes;
}

QString QtPrompts::OpenFile(const QString& proposedName)
{
    return QFileDialog::getOpenFileName(m_pParent, QString(), proposedName);
}

QString QtPrompts::SaveFile(const QString& proposedName, const QString& defaultSuffix)
{
    QFileDialog dialog(m_pParent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);  // overwrite is confirmed by default
    dialog.selectFile(proposedName);
    return ChosenFile(dialog);
}

bool QtPrompts::Rename(QString& name)
{
    CDlgRename dialog(m_pParent);
    dialog.m_name = name;
    if (dialog.exec() != QDialog::Accepted)
        return false;
    name = dialog.m_name;
    return true;
}

bool QtPrompts::CheckSum(std::uint32_t& value)
{
    CDlgCRC dialog(m_pParent);
    dialog.m_crc = value;
    if (dialog.exec() != QDialog::Accepted)
        return false;
    value = dialog.m_crc;
    return true;
}

QString QtPrompts::ChooseGameFile()
{
    QFileDialog dialog(m_pParent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return ChosenFile(dialog);
}

int QtPrompts::Choose(const QString& text, const QString& caption, const QStringList& buttons, bool* forAll)
{
    QMessageBox box(QMessageBox::Question, TitleOr(caption), text, QMessageBox::NoButton, m_pParent);
    QList<QAbstractButton*> added;
    for (const QString& label : buttons)
        added.append(box.addButton(label, QMessageBox::ActionRole));
    if (!added.isEmpty())
        box.setEscapeButton(added.last());
    if (forAll)
        box.setCheckBox(new QCheckBox(QStringLiteral("Do this for all"), &box));
    box.exec();
    if (forAll)
        *forAll = box.checkBox()->isChecked();
    return static_cast<int>(added.indexOf(box.clickedButton()));
}

QString QtPrompts::ChooseFolder(const QString& caption)
{
    return QFileDialog::getExistingDirectory(m_pParent, caption);
}

bool QtPrompts::EntryCheckSum(std::uint32_t& value, const std::function<std::optional<std::uint32_t>()>& compute)
{
    CDlgCRC dialog(m_pParent);
    dialog.m_crc = value;
    dialog.SetCompute(compute);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    value = dialog.m_crc;
    return true;
}

void QtPrompts::Properties(const QString& title, const QList<QPair<QString, QString>>& lines)
{
    CDlgProperties dialog(title, lines, m_pParent);
    dialog.exec();
}
