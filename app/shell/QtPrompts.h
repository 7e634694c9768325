#pragma once

#include "shell/Prompts.h"

class QWidget;

// The real prompts: message boxes titled "Tomelens" unless a caption is given,
// the platform's file dialogs and the two small archive dialogs.
class QtPrompts : public Prompts {
public:
    // Dialogs are owned by (centred on) this window; may be null.
    explicit QtPrompts(QWidget* parent = nullptr);

    void Message(const QString& text, const QString& caption = QString()) override;
    bool Question(const QString& text, const QString& caption) override;
    QString OpenFile(const QString& proposedName) override;
    QString SaveFile(const QString& proposedName, const QString& defaultSuffix) override;
    bool Rename(QString& name) override;
    bool CheckSum(std::uint32_t& value) override;
    QString ChooseGameFile() override;
    int Choose(const QString& text, const QString& caption, const QStringList& buttons,
               bool* forAll = nullptr) override;
    QString ChooseFolder(const QString& caption) override;
    bool EntryCheckSum(std::uint32_t& value,
                       const std::function<std::optional<std::uint32_t>()>& compute) override;
    void Properties(const QString& title, const QList<QPair<QString, QString>>& lines) override;

    void SetParent(QWidget* parent) { m_pParent = parent; }

private:
    QWidget* m_pParent;
};
