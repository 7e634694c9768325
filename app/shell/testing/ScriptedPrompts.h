#pragma once

// Test doubles for the program's prompts and desktop opener. Header-only, so
// any test target can include "shell/testing/ScriptedPrompts.h" without
// linking anything more. Answers are queued before the code under test runs;
// when a queue is empty the prompt answers like a cancelled dialog (No, an
// empty path, false). Every prompt shown is recorded in order.

#include "shell/DesktopOpener.h"
#include "shell/Prompts.h"

#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

class ScriptedPrompts : public Prompts {
public:
    // One prompt that was shown: its kind ("Message", "Question", "OpenFile",
    // "SaveFile", "Rename", "CheckSum", "ChooseGameFile", "Choose", "ChooseFolder",
    // "Properties") and its texts (Choose: caption and buttons in caption).
    struct Shown {
        QString kind;
        QString text;     // message or question text, proposed file name, preset name
        QString caption;  // caption of a message or question; default suffix of SaveFile
    };

    // Scripted answers, consumed front first.
    QQueue<bool> questionAnswers;
    QQueue<QString> openFileAnswers;
    QQueue<QString> saveFileAnswers;
    QQueue<QString> gameFileAnswers;
    QQueue<std::optional<QString>> renameAnswers;          // nullopt = Cancel
    QQueue<std::optional<std::uint32_t>> checkSumAnswers;  // nullopt = Cancel
    QQueue<std::pair<int, bool>> chooseAnswers;             // button index, "for all"
    QQueue<QString> folderAnswers;

    // What was shown.
    QList<Shown> shown;

    // Texts of the plain messages, in order.
    QStringList Messages() const { return TextsOf(QStringLiteral("Message")); }
    QStringList Questions() const { return TextsOf(QStringLiteral("Question")); }
    int CountOf(const QString& kind) const { return int(TextsOf(kind).size()); }
    void Clear() { shown.clear(); }

    void Message(const QString& text, const QString& caption = QString()) override
    {
        shown.append({QStringLiteral("Message"), text, caption});
    }
    bool Question(const QString& text, const QString& caption) override
    {
        shown.append({QStringLiteral("Question"), text, caption});
        return questionAnswers.isEmpty() ? false : questionAnswers.dequeue();
    }
    QString OpenFile(const QString& proposedName) override
    {
        shown.append({QStringLiteral("OpenFile"), proposedName, QString()});
        return openFileAnswers.isEmpty() ? QString() : openFileAnswers.dequeue();
    }
    QString SaveFile(const QString& proposedName, const QString& defaultSuffix) override
    {
        shown.append({QStringLiteral("SaveFile"), proposedName, defaultSuffix});
        return saveFileAnswers.isEmpty() ? QString() : saveFileAnswers.dequeue();
    }
    bool Rename(QString& name) override
    {
        shown.append({QStringLiteral("Rename"), name, QString()});
        if (renameAnswers.isEmpty())
            return false;
        const std::optional<QString> answer = renameAnswers.dequeue();
        if (!answer)
            return false;
        name = *answer;
        return true;
    }
    bool CheckSum(std::uint32_t& value) override
    {
        shown.append({QStringLiteral("CheckSum"), QString::number(value), QString()});
        if (checkSumAnswers.isEmpty())
            return false;
        const std::optional<std::uint32_t> answer = checkSumAnswers.dequeue();
        if (!answer)
            return false;
        value = *answer;
        return true;
    }
    QString ChooseGameFile() override
    {
        shown.append({QStringLiteral("ChooseGameFile"), QString(), QString()});
        return gameFileAnswers.isEmpty() ? QString() : gameFileAnswers.dequeue();
    }

    int Choose(const QString& text, const QString& caption, const QStringList& buttons, bool* forAll) override
    {
        shown.append({QStringLiteral("Choose"), text, caption + QStringLiteral(": ") + buttons.join(QLatin1Char('/'))});
        const std::pair<int, bool> answer = chooseAnswers.isEmpty() ? std::pair(-1, false) : chooseAnswers.dequeue();
        if (forAll)
            *forAll = answer.second;
        return answer.first;
    }
    QString ChooseFolder(const QString& caption) override
    {
        shown.append({QStringLiteral("ChooseFolder"), caption, QString()});
        return folderAnswers.isEmpty() ? QString() : folderAnswers.dequeue();
    }
    void Properties(const QString& title, const QList<QPair<QString, QString>>& lines) override
    {
        QStringList texts;
        for (const auto& line : lines)
            texts.append(line.first + QStringLiteral(": ") + line.second);
        shown.append({QStringLiteral("Properties"), texts.join(QLatin1Char('\n')), title});
    }

private:
    QStringList TextsOf(const QString& kind) const
    {
        QStringList texts;
        for (const Shown& s : shown) {
            if (s.kind == kind)
                texts.append(s.text);
        }
        return texts;
    }
};

// Records the files handed to the desktop instead of opening them.
class RecordingOpener : public DesktopOpener {
public:
    QStringList opened;
    bool accept = true;  // what Open reports

    bool Open(const QString& path) override
    {
        opened.append(path);
        return accept;
    }
};
