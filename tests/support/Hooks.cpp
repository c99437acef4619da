#include "support/Hooks.h"

#include "gui/widgets/FileDialog.h"
#include "gui/app/Launcher.h"
#include "gui/receipt/ReceiptPrinting.h"

namespace quorrel::test {

Hooks& Hooks::Instance()
{
    static Hooks hooks;
    return hooks;
}

void Hooks::Reset()
{
    m_answers.clear();
    m_messages.clear();
    m_files.clear();
    m_started.clear();
    m_startsSucceed = true;
    m_printer = nullptr;
    UseSystemPrinter(false);
}

void Hooks::UseSystemPrinter(bool use)
{
    if (use) {
        ReceiptPrinting::SetPrinterFactory(nullptr);
        return;
    }
    ReceiptPrinting::SetPrinterFactory([this] {
        auto printer = std::make_unique<RecordingPrinter>();
        m_printer = printer.get();
        return printer;
    });
}

QStringList Hooks::MessageTexts() const
{
    QStringList texts;
    for (const ShownMessage& m : m_messages)
        texts << m.text;
    return texts;
}

void Hooks::Install()
{
    MessageBox::SetTestHook([this](const ShownMessage& shown) {
        m_messages.append(shown);
        if (shown.buttons == MessageButtons::Ok)
            return MessageAnswer::Ok;
        if (m_answers.isEmpty()) {
            ADD_FAILURE() << "unexpected question: " << shown.text.toStdString();
            return MessageAnswer::No;
        }
        return m_answers.takeFirst();
    });
    FileDialog::SetTestHook([this](FileDialog::Mode, const QString& caption, const QString&) {
        if (m_files.isEmpty()) {
            ADD_FAILURE() << "unexpected file dialog: " << caption.toStdString();
            return QString();
        }
        return m_files.takeFirst();
    });
    UseSystemPrinter(false);
    Launcher::SetTestHook([this](const QString& program, const QStringList& arguments) {
        m_started.append(QStringList{program} + arguments);
        return m_startsSucceed;
    });
}

void HookEnvironment::SetUp()
{
    Hooks::Instance().Install();
}

void HookedTest::SetUp()
{
    hooks().Reset();
}

void HookedTest::TearDown()
{
    EXPECT_TRUE(hooks().m_answers.isEmpty()) << "queued answers were never asked for";
    EXPECT_TRUE(hooks().m_files.isEmpty()) << "queued file names were never asked for";
}

} // namespace quorrel::test
