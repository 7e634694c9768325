#pragma once

// Test doubles for the program's prompts and desktop opener. Header-only, so
// any test target can include "app/support/ScriptedPrompts.h" without
// linking anything more. Answers are queued before the code under test runs;
// when a queue is empty the prompt answers like a cancelled dialog (No, an
// empty path, false). Every prompt shown is recorded in order.

#include "common/DesktopOpener.h"
#include "common/Prompts.h"

#include <QGuiApplication>
#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <optional>
#include <utility>

class ScriptedPrompts : public Prompts {
public:
    // One prompt that was shown: its kind ("Message", "Question", "SaveChanges",
    // "OpenFile", "OpenFiles", "SaveFile", "Rename", "CheckSum", "ChooseGameFile", "Choose",
    // "ChooseCarefully", "ChooseFolder", "Properties") and its texts (Choose: caption and buttons in caption).
    struct Shown {
        QString kind;
        QString text;     // message or question text, proposed file name, preset name
        QString caption;  // caption of a message or question; default suffix of SaveFile
        QString folder = QString();  // where a file dialog started
        // A mouse grab or an override cursor was active while it was up: a
        // real dialog could not have been clicked.
        bool underCapture = QWidget::mouseGrabber() != nullptr || QGuiApplication::overrideCursor() != nullptr;
    };

    // Scripted answers, consumed front first.
    QQueue<bool> questionAnswers;
    QQueue<SaveChoice> saveChangesAnswers;                 // empty = Cancel
    QQueue<QString> openFileAnswers;
    QQueue<QStringList> openFilesAnswers;
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
    // The prompts that were shown while the mouse was grabbed or a wait cursor set.
    QStringList ShownUnderCapture() const
    {
        QStringList texts;
        for (const Shown& s : shown) {
            if (s.underCapture)
                texts.append(s.kind + QStringLiteral(": ") + s.text);
        }
        return texts;
    }

protected:
    // The next scripted answer, or what a cancelled dialog gives.
    template <class T>
    static T Next(QQueue<T>& answers, T cancelled)
    {
        return answers.isEmpty() ? cancelled : answers.dequeue();
    }
    // An answer that may be Cancel (nullopt): true with value set, or false.
    template <class T>
    static bool Take(QQueue<std::optional<T>>& answers, T& value)
    {
        const std::optional<T> answer = Next(answers, std::optional<T>());
        if (answer)
            value = *answer;
        return answer.has_value();
    }

    void ShowMessage(const QString& text, const QString& caption) override
    {
        shown.append({QStringLiteral("Message"), text, caption});
    }
    bool AskQuestion(const QString& text, const QString& caption) override
    {
        shown.append({QStringLiteral("Question"), text, caption});
        return Next(questionAnswers, false);
    }
    SaveChoice AskSaveChanges(const QString& text) override
    {
        shown.append({QStringLiteral("SaveChanges"), text, QString()});
        return Next(saveChangesAnswers, SaveChoice::Cancel);
    }
    QString AskOpenFile(const QString& folder, const QString& proposedName) override
    {
        shown.append({QStringLiteral("OpenFile"), proposedName, QString(), folder});
        return Next(openFileAnswers, QString());
    }
    QStringList AskOpenFiles(const QString& folder, const QString& caption) override
    {
        shown.append({QStringLiteral("OpenFiles"), caption, QString(), folder});
        return Next(openFilesAnswers, QStringList());
    }
    QString AskSaveFile(const QString& folder, const QString& proposedName,
                        const QString& defaultSuffix) override
    {
        shown.append({QStringLiteral("SaveFile"), proposedName, defaultSuffix, folder});
        return Next(saveFileAnswers, QString());
    }
    bool AskRename(QString& name) override
    {
        shown.append({QStringLiteral("Rename"), name, QString()});
        return Take(renameAnswers, name);
    }
    bool AskCheckSum(std::uint32_t& value) override
    {
        shown.append({QStringLiteral("CheckSum"), QString::number(value), QString()});
        return Take(checkSumAnswers, value);
    }
    QString AskGameFile(const QString& folder) override
    {
        shown.append({QStringLiteral("ChooseGameFile"), QString(), QString(), folder});
        return Next(gameFileAnswers, QString());
    }
    int AskChoice(const QString& text, const QString& caption, const QStringList& buttons, bool* forAll) override
    {
        shown.append({QStringLiteral("Choose"), text, caption + QStringLiteral(": ") + buttons.join(QLatin1Char('/'))});
        const std::pair<int, bool> answer = Next(chooseAnswers, std::pair(-1, false));
        if (forAll)
            *forAll = answer.second;
        return answer.first;
    }
    // Answered from chooseAnswers; an empty queue closes the box.
    int AskCarefully(const QString& text, const QString& caption, const QStringList& buttons) override
    {
        shown.append({QStringLiteral("ChooseCarefully"), text, caption + QStringLiteral(": ") + buttons.join(QLatin1Char('/'))});
        return Next(chooseAnswers, std::pair(-1, false)).first;
    }
    QString AskFolder(const QString& folder, const QString& caption) override
    {
        shown.append({QStringLiteral("ChooseFolder"), caption, QString(), folder});
        return Next(folderAnswers, QString());
    }
    void ShowProperties(const QString& title, const QList<QPair<QString, QString>>& lines) override
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
