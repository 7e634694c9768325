#include "common/QtPrompts.h"

#include "common/CDlgCRC.h"
#include "common/CDlgProperties.h"
#include "common/CDlgRename.h"

#include <QCheckBox>
#include <QDir>
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

// A file dialog that starts in folder (the home folder when none is given).
void StartIn(QFileDialog& dialog, const QString& folder)
{
    dialog.setDirectory(folder.isEmpty() ? QDir::homePath() : folder);
}
}  // namespace

QtPrompts::QtPrompts(QWidget* parent) : m_pParent(parent) {}

void QtPrompts::ShowMessage(const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::NoIcon, TitleOr(caption), text, QMessageBox::Ok, m_pParent);
    box.exec();
}

bool QtPrompts::AskQuestion(const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::Question, TitleOr(caption), text,
                    QMessageBox::Yes | QMessageBox::No, m_pParent);
    return box.exec() == QMessageBox::Yes;
}

Prompts::SaveChoice QtPrompts::AskSaveChanges(const QString& text)
{
    QMessageBox box(QMessageBox::Warning, TitleOr(QString()), text,
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, m_pParent);
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Save: return SaveChoice::Save;
    case QMessageBox::Discard: return SaveChoice::Discard;
    default: return SaveChoice::Cancel;
    }
}

QString QtPrompts::AskOpenFile(const QString& folder, const QString& proposedName)
{
    QFileDialog dialog(m_pParent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    StartIn(dialog, folder);
    dialog.selectFile(proposedName);
    return ChosenFile(dialog);
}

QStringList QtPrompts::AskOpenFiles(const QString& folder, const QString& caption)
{
    QFileDialog dialog(m_pParent, caption);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    StartIn(dialog, folder);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

QString QtPrompts::AskSaveFile(const QString& folder, const QString& proposedName,
                               const QString& defaultSuffix)
{
    QFileDialog dialog(m_pParent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);  // overwrite is confirmed by default
    StartIn(dialog, folder);
    dialog.selectFile(proposedName);
    return ChosenFile(dialog);
}

bool QtPrompts::AskRename(QString& name)
{
    CDlgRename dialog(m_pParent);
    dialog.m_name = name;
    if (dialog.exec() != QDialog::Accepted)
        return false;
    name = dialog.m_name;
    return true;
}

bool QtPrompts::AskCheckSum(std::uint32_t& value)
{
    CDlgCRC dialog(m_pParent);
    dialog.m_crc = value;
    if (dialog.exec() != QDialog::Accepted)
        return false;
    value = dialog.m_crc;
    return true;
}

QString QtPrompts::AskGameFile(const QString& folder)
{
    QFileDialog dialog(m_pParent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    StartIn(dialog, folder);
    return ChosenFile(dialog);
}

int QtPrompts::AskChoice(const QString& text, const QString& caption, const QStringList& buttons, bool* forAll)
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

int QtPrompts::AskCarefully(const QString& text, const QString& caption, const QStringList& buttons)
{
    QMessageBox box(QMessageBox::Question, TitleOr(caption), text, QMessageBox::NoButton, m_pParent);
    QList<QAbstractButton*> added;
    for (const QString& label : buttons)
        added.append(box.addButton(label, QMessageBox::ActionRole));
    if (added.isEmpty())
        return -1;
    auto* safe = static_cast<QPushButton*>(added.last());
    box.setDefaultButton(safe);
    box.setEscapeButton(safe);
    box.exec();
    return static_cast<int>(added.indexOf(box.clickedButton()));
}

QString QtPrompts::AskFolder(const QString& folder, const QString& caption)
{
    return QFileDialog::getExistingDirectory(m_pParent, caption, folder);
}

bool QtPrompts::AskEntryCheckSum(std::uint32_t& value, const std::function<std::optional<std::uint32_t>()>& compute)
{
    CDlgCRC dialog(m_pParent);
    dialog.m_crc = value;
    dialog.SetCompute(compute);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    value = dialog.m_crc;
    return true;
}

void QtPrompts::ShowProperties(const QString& title, const QList<QPair<QString, QString>>& lines)
{
    CDlgProperties dialog(title, lines, m_pParent);
    dialog.exec();
}
