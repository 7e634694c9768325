#pragma once

#include "common/Prompts.h"

class QWidget;

// The real prompts: message boxes titled "Tomelens" unless a caption is given,
// the platform's file dialogs and the two small archive dialogs.
class QtPrompts : public Prompts {
public:
    // Dialogs are owned by (centred on) this window; may be null.
    explicit QtPrompts(QWidget* parent = nullptr);

    void SetParent(QWidget* parent) { m_pParent = parent; }

protected:
    void ShowMessage(const QString& text, const QString& caption) override;
    bool AskQuestion(const QString& text, const QString& caption) override;
    SaveChoice AskSaveChanges(const QString& text) override;
    QString AskOpenFile(const QString& folder, const QString& proposedName) override;
    QStringList AskOpenFiles(const QString& folder, const QString& caption) override;
    QString AskSaveFile(const QString& folder, const QString& proposedName,
                        const QString& defaultSuffix) override;
    bool AskRename(QString& name) override;
    bool AskCheckSum(std::uint32_t& value) override;
    QString AskGameFile(const QString& folder) override;
    int AskChoice(const QString& text, const QString& caption, const QStringList& buttons, bool* forAll) override;
    QString AskFolder(const QString& folder, const QString& caption) override;
    int AskCarefully(const QString& text, const QString& caption, const QStringList& buttons) override;
    bool AskEntryCheckSum(std::uint32_t& value,
                          const std::function<std::optional<std::uint32_t>()>& compute) override;
    void ShowProperties(const QString& title, const QList<QPair<QString, QString>>& lines) override;

private:
    QWidget* m_pParent;
};
