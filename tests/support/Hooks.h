#pragma once

#include "gui/widgets/MessageBox.h"
#include "mock/RecordingPrinter.h"
#include "support/PrintTo.h"

#include <gtest/gtest.h>

#include <QList>
#include <QString>
#include <QStringList>

namespace quorrel::test {

// Answers and records every message box, file dialog and program start of the code under test.
// A question with no queued answer fails the test (and is answered No) instead of hanging.
class Hooks
{
public:
    static Hooks& instance();

    void reset();

    // Queued answers for questions, used in order.
    void answerNext(MessageAnswer answer) { m_answers.append(answer); }
    const QList<ShownMessage>& messages() const { return m_messages; }
    QStringList messageTexts() const;
    void clearMessages() { m_messages.clear(); }

    void chooseNextFile(const QString& path) { m_files.append(path); }
    // The real file dialogs for the rest of the test (a test that looks at them answers them itself).
    void useRealFileDialogs(bool use);

    // Programs the code asked to start (program path followed by its arguments).
    const QList<QStringList>& started() const { return m_started; }
    void setStartsSucceed(bool succeed) { m_startsSucceed = succeed; }

    // Receipts go to a recording printer unless a test prints for real; this is the one the
    // current main window made (valid while that window lives).
    RecordingPrinter* Printer() const { return m_printer; }
    void useSystemPrinter(bool use);

private:
    friend class HookEnvironment;
    friend class HookedTest;
    void install();

    QList<MessageAnswer> m_answers;
    QList<ShownMessage> m_messages;
    QStringList m_files;
    QList<QStringList> m_started;
    bool m_startsSucceed = true;
    RecordingPrinter* m_printer = nullptr;
};

// Installs the hooks for the whole run and checks after each test that no queued answer is left.
class HookEnvironment : public ::testing::Environment
{
public:
    void SetUp() override;
};

// Base fixture: fresh hooks for each test; fails when queued answers were never asked for.
class HookedTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;
    Hooks& hooks() { return Hooks::instance(); }
};

} // namespace quorrel::test
